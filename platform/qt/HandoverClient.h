#pragma once
// A later start's end of the handover (platform/HandoverMessage.h): hands the files over to the
// program listening under a name and waits for it to take them.

#include <QString>
#include <QStringList>

// Connects to `serverName` (trying again while no one listens yet), sends `paths` and waits
// for the one-byte answer, all within `waitMilliseconds`. True only when the running program
// answered that it holds the list.
bool handOverFiles(const QString& serverName, const QStringList& paths, int waitMilliseconds);
