#include "app/WindowJumps.h"

#include "app/MainFrm.h"
#include "tables/SpravFrm.h"

#include <QWidget>

namespace WindowJumps {

QWidget* openWindow(QWidget* from, const QString& className)
{
    auto* main = from ? qobject_cast<TMainForm*>(from->window()) : nullptr;
    return main ? main->openOrActivate(className) : nullptr;
}

bool openLinkedTable(QWidget* from, int page, const QVariant& key, const QVariant& detailKey)
{
    auto* sprav = qobject_cast<TSpravForm*>(openWindow(from, QStringLiteral("TSpravForm")));
    if (!sprav)
        return false;
    sprav->SelectPage(page);
    bool found = key.isNull() || sprav->LocateKey(page, key);
    if (found && detailKey.isValid() && !detailKey.isNull())
        found = sprav->LocateDetailKey(page, detailKey);
    return found;
}

} // namespace WindowJumps
