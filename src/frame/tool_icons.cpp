#include "frame/tool_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include "doc/commands.h"

namespace frame {

namespace {

const QColor kInk(0, 0, 0);
const QColor kPaper(255, 255, 255);
const QColor kBlue(0, 0, 160);
const QColor kRed(200, 0, 0);
const QColor kYellow(240, 200, 40);
const QColor kGrey(128, 128, 128);

void Page(QPainter& p, int x, int y, int w, int h) {
    p.setPen(kInk);
    p.setBrush(kPaper);
    p.drawPolygon(QPolygon({QPoint(x, y), QPoint(x + w - 3, y), QPoint(x + w, y + 3),
                            QPoint(x + w, y + h), QPoint(x, y + h)}));
}

void Arrow(QPainter& p, QPoint from, QPoint to) {
    p.drawLine(from, to);
    const QPoint d = to - from;
    const int sx = d.x() > 0 ? 1 : d.x() < 0 ? -1 : 0;
    const int sy = d.y() > 0 ? 1 : d.y() < 0 ? -1 : 0;
    // Two short strokes back from the tip, at right angles to each other.
    p.drawLine(to, to - QPoint(2 * sx - 2 * sy, 2 * sy + 2 * sx) / (sx && sy ? 2 : 1));
    p.drawLine(to, to - QPoint(2 * sx + 2 * sy, 2 * sy - 2 * sx) / (sx && sy ? 2 : 1));
}

void Checker(QPainter& p, QRect r) {
    for (int y = r.top(); y <= r.bottom(); y += 2) {
        for (int x = r.left(); x <= r.right(); x += 2) {
            const bool dark = (((x - r.left()) / 2) + ((y - r.top()) / 2)) % 2 == 0;
            p.fillRect(x, y, 2, 2, dark ? kBlue : kPaper);
        }
    }
    p.setPen(kInk);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
}

// A curved arrow pointing left and back: the undo button.
void UndoArrow(QPainter& p) {
    QPainterPath path;
    path.moveTo(12, 12);
    path.cubicTo(15, 6, 10, 2, 4, 5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kBlue, 2));
    p.drawPath(path);
    p.setPen(kBlue);
    p.setBrush(kBlue);
    p.drawPolygon(QPolygon({QPoint(1, 5), QPoint(6, 1), QPoint(6, 9)}));
}

void Draw(QPainter& p, int id) {
    using namespace doc;
    p.setPen(kInk);
    switch (id) {
        case ID_FILE_NEW:
            Page(p, 3, 1, 10, 13);
            break;
        case ID_FILE_OPEN:
            p.setBrush(kYellow);
            p.drawPolygon(QPolygon({QPoint(1, 3), QPoint(5, 3), QPoint(6, 5), QPoint(13, 5),
                                    QPoint(13, 13), QPoint(1, 13)}));
            p.drawPolygon(QPolygon({QPoint(3, 8), QPoint(15, 8), QPoint(13, 13), QPoint(1, 13)}));
            break;
        case ID_FILE_SAVE_AS:
            p.setBrush(kBlue);
            p.drawRect(1, 1, 13, 13);
            p.fillRect(4, 2, 8, 5, kPaper);
            p.fillRect(5, 10, 6, 4, kGrey);
            break;
        case ID_EDIT_CUT:
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(2, 9, 4, 4);
            p.drawEllipse(9, 9, 4, 4);
            p.drawLine(5, 9, 10, 1);
            p.drawLine(10, 9, 5, 1);
            break;
        case ID_EDIT_COPY:
            Page(p, 1, 1, 8, 10);
            Page(p, 6, 4, 8, 10);
            break;
        case ID_EDIT_PASTE:
            p.setBrush(QColor(170, 120, 60));
            p.drawRect(2, 2, 10, 12);
            p.fillRect(5, 1, 5, 3, kGrey);
            Page(p, 7, 6, 7, 8);
            break;
        case ID_UNDO_POINT:
            UndoArrow(p);
            break;
        case ID_EDIT_REDO:  // the undo arrow, mirrored
            p.translate(15, 0);
            p.scale(-1, 1);
            UndoArrow(p);
            break;
        case ID_TOOL_SELECT:
            p.setPen(QPen(kInk, 1, Qt::DotLine));
            p.drawRect(1, 1, 10, 9);
            p.setPen(kInk);
            p.setBrush(kPaper);
            p.drawPolygon(QPolygon({QPoint(7, 5), QPoint(7, 14), QPoint(9, 12), QPoint(11, 15),
                                    QPoint(12, 14), QPoint(11, 11), QPoint(14, 11)}));
            break;
        case ID_TOOL_MOVE:
            p.setPen(QPen(kBlue, 1));
            Arrow(p, QPoint(7, 7), QPoint(7, 1));
            Arrow(p, QPoint(7, 7), QPoint(7, 13));
            Arrow(p, QPoint(7, 7), QPoint(1, 7));
            Arrow(p, QPoint(7, 7), QPoint(13, 7));
            break;
        case ID_TOOL_ROTATE:
            p.setPen(QPen(kBlue, 2));
            p.setBrush(Qt::NoBrush);
            p.drawArc(2, 2, 11, 11, 90 * 16, 270 * 16);
            p.setPen(kBlue);
            p.setBrush(kBlue);
            p.drawPolygon(QPolygon({QPoint(7, 0), QPoint(11, 2), QPoint(7, 5)}));
            break;
        case ID_TOOL_SCALE:
            p.setBrush(Qt::NoBrush);
            p.drawRect(1, 5, 8, 8);
            p.setBrush(kBlue);
            p.drawRect(1, 9, 4, 4);
            p.setPen(kRed);
            Arrow(p, QPoint(8, 6), QPoint(14, 0));
            break;
        case ID_TOOL_STRETCH:
            p.setBrush(QColor(190, 200, 255));
            p.drawRect(4, 4, 7, 6);
            p.setPen(kRed);
            Arrow(p, QPoint(4, 7), QPoint(0, 7));
            Arrow(p, QPoint(11, 7), QPoint(15, 7));
            break;
        case ID_NUMERIC_INPUT: {
            QFont f = p.font();
            f.setPixelSize(9);
            f.setBold(true);
            p.setFont(f);
            p.drawRect(0, 2, 15, 10);
            p.drawText(QRect(0, 2, 16, 11), Qt::AlignCenter, QStringLiteral("123"));
            break;
        }
        case ID_TOOL_POLYGON:
            p.setBrush(QColor(190, 230, 190));
            p.drawPolygon(QPolygon({QPoint(2, 13), QPoint(8, 1), QPoint(14, 11)}));
            p.fillRect(1, 12, 3, 3, kRed);
            p.fillRect(7, 0, 3, 3, kRed);
            p.fillRect(13, 10, 3, 3, kRed);
            break;
        case ID_MATERIAL: {
            QRadialGradient g(QPointF(5.5, 5.0), 8.0);
            g.setColorAt(0.0, kPaper);
            g.setColorAt(1.0, kRed);
            p.setBrush(g);
            p.setPen(Qt::NoPen);
            p.drawEllipse(1, 1, 13, 13);
            break;
        }
        case ID_TEXTURE:
            Checker(p, QRect(1, 1, 13, 12));
            break;
        case ID_TEXTURE_REMOVE:
            Checker(p, QRect(1, 1, 13, 12));
            p.setPen(QPen(kRed, 2));
            p.drawLine(2, 2, 13, 12);
            p.drawLine(13, 2, 2, 12);
            break;
        case ID_WRAP:
            p.setBrush(QColor(190, 200, 255));
            p.drawRect(3, 3, 9, 9);
            p.drawEllipse(3, 1, 9, 4);
            p.setBrush(Qt::NoBrush);
            p.drawArc(3, 10, 9, 4, 180 * 16, 180 * 16);
            p.setPen(kBlue);
            p.drawLine(3, 7, 12, 9);
            break;
        case ID_SELECT_INVERT:
            p.setBrush(Qt::NoBrush);
            p.drawRect(1, 1, 13, 12);
            p.fillRect(2, 2, 6, 11, kBlue);
            p.fillRect(4, 5, 2, 2, kPaper);
            p.fillRect(10, 8, 2, 2, kBlue);
            break;
        case ID_SELECT_CLEAR:
            p.setPen(QPen(kInk, 1, Qt::DotLine));
            p.drawRect(1, 1, 13, 12);
            p.setPen(QPen(kRed, 2));
            p.drawLine(4, 4, 11, 10);
            p.drawLine(11, 4, 4, 10);
            break;
        case ID_APP_ABOUT: {
            p.setBrush(QColor(255, 255, 200));
            p.drawEllipse(1, 0, 13, 13);
            QFont f = p.font();
            f.setPixelSize(11);
            f.setBold(true);
            p.setFont(f);
            p.setPen(kBlue);
            p.drawText(QRect(1, 0, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
            break;
        }
        case ID_VIEW_FIT:
            // A box with four arrows pointing to its corners: the model fills the pane.
            p.setBrush(QColor(190, 200, 255));
            p.drawRect(5, 4, 5, 5);
            p.setPen(kBlue);
            Arrow(p, QPoint(4, 3), QPoint(1, 0));
            Arrow(p, QPoint(11, 3), QPoint(14, 0));
            Arrow(p, QPoint(4, 10), QPoint(1, 13));
            Arrow(p, QPoint(11, 10), QPoint(14, 13));
            break;
        default:
            break;
    }
}

}  // namespace

QPixmap ToolPixmap(int id) {
    QPixmap pm(doc::TOOLBAR_BUTTON_WIDTH, doc::TOOLBAR_BUTTON_HEIGHT);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    Draw(p, id);
    p.end();
    return pm;
}

QIcon ToolIcon(int id) {
    return QIcon(ToolPixmap(id));
}

}  // namespace frame
