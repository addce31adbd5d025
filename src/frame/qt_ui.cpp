#include "frame/qt_ui.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <cstdio>

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

QString ExtensionOfFilter(const QString& nameFilter, const QString& fallback) {
    // The patterns stand in the last brackets: "label (*.a *.b)".
    const qsizetype open = nameFilter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = nameFilter.lastIndexOf(QLatin1Char(')'));
    if (open < 0 || close <= open) return fallback;
    const QStringList patterns =
        nameFilter.mid(open + 1, close - open - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (patterns.size() != 1) return fallback;
    static const QRegularExpression kOne(QStringLiteral("^\\*\\.([A-Za-z0-9]+)$"));
    const QRegularExpressionMatch m = kOne.match(patterns.front());
    return m.hasMatch() ? m.captured(1) : fallback;
}

QString WithExtension(const QString& path, const QString& extension) {
    if (extension.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
    return path + QLatin1Char('.') + extension;
}

void QtUserInterface::RegisterDialog(std::string kind, DialogRunner runner) {
    runners_[std::move(kind)] = std::move(runner);
}

ports::Answer QtUserInterface::MessageBox(const std::string& text, const std::string& caption,
                                          ports::Buttons buttons, ports::Icon icon) {
    if (toStderr_) {
        const std::string title = caption.empty() ? std::string(doc::text::kAppName) : caption;
        std::fprintf(stderr, "kestrilune: %s: %s\n", title.c_str(), text.c_str());
        switch (buttons) {
            case ports::Buttons::YesNo:
                return ports::Answer::No;
            case ports::Buttons::OkCancel:
            case ports::Buttons::SaveDontSaveCancel:
                return ports::Answer::Cancel;
            case ports::Buttons::Ok:
                break;
        }
        return ports::Answer::Ok;
    }
    if (hold_ && buttons == ports::Buttons::Ok) {
        held_.push_back({text, caption, icon});
        return ports::Answer::Ok;
    }
    return ShowBox(text, caption, buttons, icon);
}

void QtUserInterface::ShowHeldMessages() {
    hold_ = false;
    std::vector<Held> held;
    held.swap(held_);
    for (const Held& m : held) ShowBox(m.text, m.caption, ports::Buttons::Ok, m.icon);
}

ports::Answer QtUserInterface::ShowBox(const std::string& text, const std::string& caption,
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
    const QStringList filters = NameFiltersOf(request.filter);
    dialog.setNameFilters(filters);
    const QString fallback = Q(request.defaultExtension);
    if (!request.initialFolder.empty()) dialog.setDirectory(Q(request.initialFolder));
    if (!request.initialName.empty()) {
        // The suggested name's own type, when the dialog offers it.
        const QString suffix = QFileInfo(Q(request.initialName)).suffix();
        for (const QString& f : filters) {
            if (!suffix.isEmpty() &&
                ExtensionOfFilter(f, QString()).compare(suffix, Qt::CaseInsensitive) == 0) {
                dialog.selectNameFilter(f);
                break;
            }
        }
        dialog.selectFile(Q(request.initialName));
    }
    // A name typed without an extension takes the chosen type's, so that the overwrite
    // question, too, asks about the file that will be written.
    dialog.setDefaultSuffix(ExtensionOfFilter(dialog.selectedNameFilter(), fallback));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, fallback](const QString& f) {
                         dialog.setDefaultSuffix(ExtensionOfFilter(f, fallback));
                     });
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    if (request.open) return files.front().toStdString();
    return WithExtension(files.front(), ExtensionOfFilter(dialog.selectedNameFilter(), fallback))
        .toStdString();
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
