#include "app/WindowRegistry.h"

#include "app/MainFrm.h"
#include "app/ManagerFrm.h"
#include "labour/AccountFrm.h"
#include "plan/ReportFrm.h"
#include "devices/DeviceFrm.h"
#include "devices/MalfunctionFrm.h"
#include "devices/NextRepFrm.h"
#include "devices/TypeFrm.h"
#include "tables/SpravFrm.h"

void registerProgramWindows()
{
    TMainForm::registerWindow(QStringLiteral("TManagerForm"), [] { return new TManagerForm; });
    TMainForm::registerWindow(QStringLiteral("TSpravForm"), [] { return new TSpravForm; });
    TMainForm::registerWindow(QStringLiteral("TAccountForm"), [] { return new TAccountForm; });
    TMainForm::registerWindow(QStringLiteral("TReportForm"), [] { return new TReportForm; });
    TMainForm::registerWindow(QStringLiteral("TTypeForm"), [] { return new TTypeForm; });
    TMainForm::registerWindow(QStringLiteral("TDeviceForm"), [] { return new TDeviceForm; });
    TMainForm::registerWindow(QStringLiteral("TNextRepForm"), [] { return new TNextRepForm; });
    TMainForm::registerWindow(QStringLiteral("TMalfunctionForm"), [] { return new TMalfunctionForm; });
}
