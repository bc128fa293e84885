#include "tables/FileDialogs.h"

#include <QFileDialog>
#include <optional>

namespace {
struct Scripted {
    QString name;
    int filterIndex = 0;
};
std::optional<Scripted> nextAnswer;
QString lastProposed;
} // namespace

namespace FileDialogs {

QString getSaveFileName(QWidget* parent, const QString& caption, const QString& fileName, const QStringList& filters,
                        int* filterIndex)
{
    lastProposed = fileName;
    if (nextAnswer) {
        const Scripted answer = *nextAnswer;
        nextAnswer.reset();
        if (filterIndex)
            *filterIndex = answer.filterIndex;
        return answer.name;
    }
    QFileDialog dialog(parent, caption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    if (filterIndex && *filterIndex >= 0 && *filterIndex < filters.size())
        dialog.selectNameFilter(filters.at(*filterIndex));
    dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    if (filterIndex)
        *filterIndex = int(filters.indexOf(dialog.selectedNameFilter()));
    return dialog.selectedFiles().constFirst();
}

void setNextSaveFileName(const QString& name, int filterIndex) { nextAnswer = Scripted{name, filterIndex}; }

QString lastProposedFileName() { return lastProposed; }

} // namespace FileDialogs
