#pragma once
// The window speaks Chinese throughout, also where Qt draws its own texts (the buttons of message
// boxes, the labels of the folder chooser) and where the system explains a failed file operation.

class QCoreApplication;

// Installs Qt's Chinese translations from the folder Qt reports for its translations, and makes
// the platform's file-error reasons Chinese. Works whatever the system's locale is. Answers
// whether Qt's translations were found; without them Qt's texts stay in English.
bool speakChinese(QCoreApplication& application);
