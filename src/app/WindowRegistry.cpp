#include "app/WindowRegistry.h"

#include "app/MainFrm.h"
#include "app/ManagerFrm.h"

void registerProgramWindows()
{
    TMainForm::registerWindow(QStringLiteral("TManagerForm"), [] { return new TManagerForm; });
}
