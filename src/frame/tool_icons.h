// The tool bar's 16 x 15 button pictures: PNG files in the program's resource, one per
// command, named icon-<command id>.png (data/toolbar).
#pragma once

#include <QIcon>
#include <QPixmap>

namespace frame {

// The picture of a tool-bar command; a null pixmap for an id without one.
QPixmap ToolPixmap(int id);
// The picture as an icon, scaled for the screen's device pixel ratio by Qt.
QIcon ToolIcon(int id);

}  // namespace frame
