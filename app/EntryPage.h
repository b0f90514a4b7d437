#pragma once
// Builds the entry page (notebook page "1"): the station inputs, the station type, the save
// button, the edit-mode switch and the toolbar with its image list.

class TForm1;

// Captions of the save button and the edit-mode switch.
inline constexpr const char16_t* kSaveFirstCaption = u"保存并继续添加 &M";
inline constexpr const char16_t* kSaveModifyCaption = u"修改电台";
inline constexpr const char16_t* kSaveContinueCaption = u"继续添加";
inline constexpr const char16_t* kSwitchToEditCaption = u"点击切换至编辑模式";
inline constexpr const char16_t* kSwitchToInputCaption = u"点击切换至输入模式";

void createEntryPage(TForm1& form);
