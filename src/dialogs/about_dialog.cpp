#include "dialogs/about_dialog.h"

#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "dialogs/link_static.h"

namespace dialogs {

namespace {
QRect ToQRect(const ports::Rect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

}  // namespace

QIcon ProgramIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/kestrilune-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/kestrilune-48.png"), QSize(48, 48));
    return icon;
}

QFont DialogFont() {
    QFont f(QStringLiteral("IPAPGothic"));
    f.setPointSize(9);
    return f;
}

doc::DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics fm(font);
    return doc::BaseUnitsFromFont(fm.horizontalAdvance(QStringLiteral(
                                      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")),
                                  fm.height());
}

CAboutDlg::CAboutDlg(doc::AboutDialog& model, QWidget* parent) : QDialog(parent), model_(model) {
    setWindowTitle(QString::fromStdString(model_.Title()));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFont(DialogFont());
    units_ = BaseUnitsOf(font());
    const QRect client = ToQRect(doc::DialogToPixels(doc::AboutDialog::kSize, units_));
    setFixedSize(client.size());

    for (const doc::AboutDialog::Control& c : model_.Controls()) {
        const QRect r = ToQRect(doc::DialogToPixels(c.rect, units_));
        const QString text = QString::fromStdString(c.text);
        switch (c.type) {
            case doc::AboutDialog::ControlType::Icon: {
                auto* icon = new QLabel(this);
                icon->setPixmap(ProgramIcon().pixmap(32, 32));
                icon->setGeometry(r.x(), r.y(), 32, 32);  // icons keep their own size
                break;
            }
            case doc::AboutDialog::ControlType::Text: {
                auto* label = new QLabel(text, this);
                label->setTextFormat(Qt::PlainText);
                label->setGeometry(r);
                break;
            }
            case doc::AboutDialog::ControlType::Button: {
                auto* ok = new QPushButton(text, this);
                ok->setGeometry(r);
                ok->setDefault(true);
                connect(ok, &QPushButton::clicked, this, &QDialog::accept);
                break;
            }
            case doc::AboutDialog::ControlType::Link: {
                const int id = c.id;
                auto* link = new CLinkStatic(
                    *model_.Link(id), text, [this, id] { model_.OnLinkClicked(id); }, this);
                link->PlaceAt(r);
                (id == doc::AboutDialog::IDC_WEB ? web_ : mail_) = link;
                break;
            }
        }
    }
}

CLinkStatic* CAboutDlg::Link(int id) const {
    if (id == doc::AboutDialog::IDC_WEB) return web_;
    if (id == doc::AboutDialog::IDC_MAIL) return mail_;
    return nullptr;
}

bool RunAboutDialog(doc::AboutDialog& model, QWidget* parent) {
    CAboutDlg dlg(model, parent);
    return dlg.exec() == QDialog::Accepted;
}

}  // namespace dialogs
