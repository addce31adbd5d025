#include "frame/qt_ui.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "doc/texts.h"
#include "rm/types.h"

namespace frame {

QStringList NameFiltersOf(const std::string& filter) {
    QStringList out;
    const QStringList parts = Q(filter).split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << parts[i] + QStringLiteral(" (") + patterns.simplified() + QLatin1Char(')');
    }
    return out;
}

void QtUserInterface::RegisterDialog(std::string kind, DialogRunner runner) {
    runners_[std::move(kind)] = std::move(runner);
}

ports::Answer QtUserInterface::MessageBox(const std::string& text, const std::string& caption,
                                          ports::Buttons buttons, ports::Icon icon) {
    QMessageBox box(parent_);
    box.setWindowTitle(caption.empty() ? Q(doc::text::kAppName) : Q(caption));
    box.setText(Q(text));
    switch (icon) {
        case ports::Icon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case ports::Icon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case ports::Icon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case ports::Icon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case ports::Icon::Question:
            box.setIcon(QMessageBox::Question);
            break;
    }
    switch (buttons) {
        case ports::Buttons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case ports::Buttons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case ports::Buttons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case ports::Buttons::SaveDontSaveCancel:
            box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
            box.button(QMessageBox::Save)->setText(Q(doc::text::kSaveSave));
            box.button(QMessageBox::Discard)->setText(Q(doc::text::kSaveDontSave));
            box.button(QMessageBox::Cancel)->setText(Q(doc::text::kSaveCancel));
            box.setDefaultButton(QMessageBox::Save);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes:
        case QMessageBox::Save:
            return ports::Answer::Yes;
        case QMessageBox::No:
        case QMessageBox::Discard:
            return ports::Answer::No;
        case QMessageBox::Cancel:
            return ports::Answer::Cancel;
        default:
            return ports::Answer::Ok;
    }
}

std::optional<std::string> QtUserInterface::FileDialog(const ports::FileDialogRequest& request) {
    // Qt's own dialog: the desktop's dialog would show the patterns after each label.
    QFileDialog dialog(parent_);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(request.open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if ((request.flags & ports::OFN_OVERWRITEPROMPT) == 0 && !request.open) {
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    dialog.setNameFilters(NameFiltersOf(request.filter));
    dialog.setDefaultSuffix(Q(request.defaultExtension));
    if (!request.initialFolder.empty()) dialog.setDirectory(Q(request.initialFolder));
    if (!request.initialName.empty()) dialog.selectFile(Q(request.initialName));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.front().toStdString();
}

std::optional<std::uint32_t> QtUserInterface::ChooseColor(std::uint32_t initial) {
    const QColor start(rm::RedOf(initial), rm::GreenOf(initial), rm::BlueOf(initial));
    const QColor c = QColorDialog::getColor(start, parent_);
    if (!c.isValid()) return std::nullopt;
    return rm::MakeColorRef(c.red(), c.green(), c.blue());
}

bool QtUserInterface::DoModal(ports::ModalDialog& dialog) {
    const auto it = runners_.find(dialog.Kind());
    if (it == runners_.end()) return false;
    return it->second(dialog, parent_);
}

void QtUserInterface::Beep() {
    QApplication::beep();
}

}  // namespace frame
