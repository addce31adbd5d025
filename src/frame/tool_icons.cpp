#include "frame/tool_icons.h"

#include <QString>

namespace frame {

QPixmap ToolPixmap(int id) {
    QPixmap pm;
    if (!pm.load(QStringLiteral(":/toolbar/icon-%1.png").arg(id), "PNG")) return {};
    return pm;
}

QIcon ToolIcon(int id) {
    return QIcon(ToolPixmap(id));
}

}  // namespace frame
