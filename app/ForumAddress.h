#pragma once
// The support forum on the product's web site, opened in the user's web browser.

#include <string_view>

inline constexpr std::u16string_view kForumAddress = u"https://rovena.example/bbs/?forum-3.htm";
