#include "tables/FileDialogs.h"

#include "data/MessageService.h"
#include "text/StrList.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <optional>

namespace {
struct Scripted {
    QString name;
    int filterIndex = 0;
};
std::optional<Scripted> nextAnswer;
QString lastProposed;
QString lastCaption;
} // namespace

namespace FileDialogs {

namespace {
// The completed name, or empty when it names an existing file the user does not want replaced.
QString confirmedName(const QString& chosen, int filterIndex, const CompleteName& complete)
{
    const QString name = complete(chosen, filterIndex);
    if (QFileInfo::exists(name) && !Messages::confirm(messageText(FormatText(Str::FileReplaceConfirm,
                                                                             QDir::toNativeSeparators(name)))))
        return {};
    return name;
}
} // namespace

QString getSaveFileName(QWidget* parent, const QString& caption, const QString& fileName, const QStringList& filters,
                        int* filterIndex, const CompleteName& complete)
{
    lastProposed = fileName;
    lastCaption = caption;
    if (nextAnswer) {
        const Scripted answer = *nextAnswer;
        nextAnswer.reset();
        if (filterIndex)
            *filterIndex = answer.filterIndex;
        if (!complete || answer.name.isEmpty())
            return answer.name;
        return confirmedName(answer.name, answer.filterIndex, complete);
    }
    QFileDialog dialog(parent, caption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    // The dialog would ask about the name as typed; the question belongs to the completed name.
    if (complete)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (filterIndex && *filterIndex >= 0 && *filterIndex < filters.size())
        dialog.selectNameFilter(filters.at(*filterIndex));
    dialog.selectFile(fileName);
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        const int chosenFilter = int(filters.indexOf(dialog.selectedNameFilter()));
        if (filterIndex)
            *filterIndex = chosenFilter;
        const QString chosen = dialog.selectedFiles().constFirst();
        if (!complete)
            return chosen;
        const QString name = confirmedName(chosen, chosenFilter, complete);
        if (!name.isEmpty())
            return name;
        dialog.selectFile(chosen); // No: back to the dialog, as after the platform's own question
    }
    return {};
}

void setNextSaveFileName(const QString& name, int filterIndex) { nextAnswer = Scripted{name, filterIndex}; }

QString lastProposedFileName() { return lastProposed; }

QString lastDialogCaption() { return lastCaption; }

} // namespace FileDialogs
