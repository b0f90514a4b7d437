#pragma once
// One window per application-data folder. The first start holds the folder's lock and takes the
// files of later starts as a drop; a later start hands its files over and ends without touching
// the folder.

#include <QObject>
#include <QStringList>

#include <string>
#include <string_view>

class HandoverServer;
class MessageBoxService;
class TForm1;

// How long a later start waits for the running window to take its files.
inline constexpr int kHandoverWaitMilliseconds = 2000;

// The box a later start shows when the running window does not answer.
inline constexpr std::u16string_view kAlreadyRunningText = u"Rovena 已经在运行。";

// A later start, the data folder `dataFolder` (UTF-8) being locked by another: hands `files`
// (made absolute, as the running window has its own current folder) to the window running on
// it. Answers the exit status: 0 once the window has taken them; else, after the box
// kAlreadyRunningText, 1.
int handOverToRunningWindow(const std::string& dataFolder, const QStringList& files,
                            MessageBoxService& messageBoxes,
                            int waitMilliseconds = kHandoverWaitMilliseconds);

// Delivers the files handed over to `server` to `form`: the window comes forward and opens them
// through openFiles, as a drop would. A handover that arrives while a box or another modal
// window is up waits until it is gone, so it never cuts into a question being asked.
class LaterStarts : public QObject {
    Q_OBJECT

  public:
    LaterStarts(HandoverServer& server, TForm1& form);

  private:
    void deliver();

    HandoverServer& FServer;
    TForm1& FForm;
    bool FRetryPending = false;
};
