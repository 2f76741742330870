// Loading a Windows cursor file (.cur, or an .ico) as a Qt cursor, with its hot spot.
#pragma once

#include <QCursor>
#include <QString>

namespace brintova {

// Throws Failure when the file cannot be read or is not a cursor or icon file.
QCursor LoadCursorFile(const QString& path);

}  // namespace brintova
