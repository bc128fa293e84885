#pragma once

// The bilingual string table: every caption, hint and message the user sees, as a pair
// {English, Russian}, selected by one language index (0 English, 1 Russian).
//
// Conventions inside the texts:
// - "&" marks a keyboard accelerator and "&&" shows one ampersand (Qt menus and buttons read both as they stand);
// - a hint "short|long" gives the tooltip before the bar and the status-bar text after it;
// - "\r" breaks the line of a message;
// - "%d", "%s" and "%f" are filled by FormatText in the order they stand.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <array>
#include <string>
#include <type_traits>
#include <utility>

// Several entries share their English text and differ in Russian (or are simply used in different places);
// they are separate constants so that each place keeps the text it was written for.
enum class Str : int {
    // Data module
    DataOpenFailed, // start-up failure of the connection, two lines

    // Main window (menus, commands, table selector, find dialog, linked-table names, upgrade warning)
    LinkedSystems,
    LinkedClasses,
    LinkedMeasurements,
    LinkedAssignments,
    LinkedRanges,
    LinkedStates,
    LinkedScales,
    LinkedGraduations,
    LinkedAccuracies,
    LinkedDesigns,
    LinkedMadeBy,
    LinkedDimensions,
    MainChooseTable, // hint of the table selector
    MainCaption,     // product name; the caption adds " v" and the version
    MenuFile,
    MenuFileHint,
    MenuView,
    MenuViewHint,
    MenuEdit,
    MenuEditHint,
    MenuOptions,
    MenuOptionsHint,
    MenuWindow,
    MenuWindowHint,
    MenuHelp,
    MenuHelpHint,
    MenuOpenTable,
    MenuOpenTableHint,
    ActionFileClose, // "Закрыть окно"; the table windows' Close button is BtnClose
    HintFileClose,
    ActionPreview,
    HintPreview,
    ActionExit,
    HintExit,
    ActionOpenDatabase,
    HintOpenDatabase,
    OpenDatabaseCaption,
    OpenDatabaseFilter,
    ActionImportDevices,
    HintImportDevices,
    ActionImportTemplate,
    HintImportTemplate,
    HintOpenDevice,
    HintOpenDevType,
    HintOpenNextRep,
    HintOpenReport,
    HintOpenSprav,
    HintOpenManager,
    ActionSwap, // caption of the main window's toggle; its hint is HintSwap
    ActionCut,
    HintCut,
    ActionCopy,
    HintCopy,
    ActionPaste,
    HintPaste,
    ActionFont,
    HintFont,
    MenuSkins,
    HintSkins,
    MenuLanguage,
    HintLanguage,
    LanguageEnglish,
    LanguageRussian,
    ActionCascade,
    HintCascade,
    ActionTileHorizontal,
    HintTileHorizontal,
    ActionTileVertical,
    HintTileVertical,
    ActionMinimizeAll,
    HintMinimizeAll,
    ActionHelpIndex,
    HintHelpIndex,
    ActionAbout,
    HintAbout,
    EditKindDeleted, // names of the kinds of edit, written into the Victim table
    EditKindEdited,
    EditKindAdded,
    LinkedDocuments,
    LinkedDepartmentsCrews,
    LinkedLocationsPlaces,
    LinkedMalfunctionGroups,
    FindCaption,
    FindTextLabel,
    FindInLabel,
    FindMatchingLabel,
    FindDirectionLabel,
    FindCaseSensitive,
    FindFormatSensitive,
    FindNext,
    FindMatchAnyPart,
    FindMatchWhole,
    FindMatchStart,
    FindUp,
    FindDown,
    FindAll,
    HintOpenAccount,
    UpgradeWarning, // %s stored version, %s program version
    ActionShowKits,

    // About box
    AboutCaption,
    AboutVersion,

    // Reference checks before deletion (each takes the count as %d)
    RefCheckDeviceServices,
    RefCheckDeviceCrews,
    RefCheckDeviceMalfunctions,
    RefCheckDeviceKits,
    RefCheckTypeDevices,
    RefCheckTypeIntervals,
    RefCheckCrewDevices,
    RefCheckCrewServices,
    RefCheckCrewTypeCounts,
    RefCheckCrewList,
    RefCheckServiceRowTarifications,
    RefCheckServiceRowNextServices,
    RefCheckDayLengthCrewList,
    RefCheckFundCrewList,
    RefCheckHolidayCrewList,
    RefCheckLossCrewList,
    RefCheckCategoryCrewList,
    RefCheckCategoryTarifications,
    RefCheckCategoryNormState,
    RefCheckServiceServiceRows,

    // Table window (grid, grouping tree, context menu, status bar)
    TableSwap,
    TableGroupBox,
    TableNull,   // "<null>": a null value in the grouping tree
    TableEmpty,  // "<empty>": an empty text in the grouping tree
    TableAmount, // "amount" in a grouping-tree node
    TableGroup,  // "group" in a grouped column's title
    TableNoData,
    TableSortAsc,
    TableSortDesc,
    TableGroupCol,
    TableUngroupCol,
    TableSortNone,
    TableCustFilter,
    TableHideColumn,
    TableSelectTab,

    // Linked tables window (labels of the two-list pages)
    LinkedLabelLocations,
    LinkedLabelPlaces,
    LinkedLabelCrews,
    LinkedLabelDepartments,
    LinkedLabelGroups,
    LinkedLabelNames,
    LinkedColRegNumber,

    // Table properties dialog
    PropsVisibleColumns,
    PropsCaptionSuffix, // "Table <caption> properties"
    PropsGroupColumns,
    PropsSortColumns,
    PropsColumn,
    PropsSorting,
    PropsAsc,
    PropsDesc,

    // Date range dialog
    DateRangeCaption,
    DateRangeFrom,
    DateRangeTo,

    // Dual list dialog
    DualListSource,
    DualListDest,

    // Device passport window (logs, next-service dates, kit panel)
    DeviceColChangeDate,
    DeviceColChangedBy, // who made the change a log entry records
    DeviceServicesLabel,
    DeviceServicesNeedCrew, // %s the caption of the page with the crews
    DeviceLogClear,
    DeviceLogConfirmClear,
    DeviceLogLast, // "Предыдущ." in the service log panel; the navigation button is NavLast
    DeviceLogNext, // "Следующ." in the service log panel; the navigation button is NavNext
    DeviceLogBefore,
    DeviceLogAfter,
    DeviceColLastLocation,
    DeviceColNextLocation,
    DeviceColLastPlace,
    DeviceColNextPlace,
    DeviceColLastState,
    DeviceColNextState,
    DeviceColLastSetupDate,
    DeviceColNextSetupDate,
    DeviceColLastExtPlace,
    DeviceColNextExtPlace,
    DeviceColLastDateBefore,
    DeviceColNextDateBefore,
    DeviceColLastDateAfter,
    DeviceColNextDateAfter,
    DeviceHintAddService, // the next-service buttons; the intervals use HintAddService
    DeviceHintDeleteService,
    DeviceLastToNow,
    DeviceHintLastToNow,
    DeviceCountNext,
    DeviceHintCountNext,
    DeviceWhere,
    DeviceCrewsLabel,
    DeviceHintAddCrew,
    DeviceHintDeleteCrew,
    DeviceTypeChangeRefused,
    DeviceIntervalUpdateConfirm, // %d next-service rows
    DeviceIntervalNull,
    DeviceLastDateNull, // "Count next date" on a service without a last date
    DeviceLogShowAll,
    DeviceColEditKind, // "State" / "Режим": the kind of edit in the edit log
    DeviceLogNotes,
    DeviceIntervalNeedsCrew,
    DeviceNoCurrent, // a service or crew row needs a device in the list
    DeviceNextDateBeyond,
    DeviceMoveEntryGone,
    IntervalNegative, // both windows that edit intervals
    KitList,
    KitAllDevices,
    KitRoot,
    KitAcodePrefix,
    KitManufPrefix,
    KitDeleteKitConfirm,
    KitDeleteAllConfirm,
    KitIntoItself,
    KitAlreadyInKit,
    KitHintShow,
    KitHintAdd,
    KitHintDelete,
    KitHintClose,
    KitCycle,

    // Device types window
    TypeColDesign,
    TypeColMadeBy,
    TypeColName,
    TypeColAccuracy,
    TypeColLifeTime,
    TypeColMtbf,
    TypeColComments,
    TypeCrewRequired,
    TypeNoCrews,

    // Malfunction window
    MalfunctionColId,
    MalfunctionColDate,
    MalfunctionColGroup,
    MalfunctionColName,
    MalfunctionColComments,
    MalfunctionColReason,
    MalfunctionColAmount,
    MalfunctionColElimination,
    MalfunctionDeviceBox,
    MalfunctionHintAddParam,
    MalfunctionHintDeleteParam,

    // Labour planning window (device counts, crew structure, norm state)
    AccountColCount,
    AccountHintAddType,
    AccountHintDeleteType,
    AccountHintAddPerson,
    AccountHintDeletePerson,
    AccountDivide,
    AccountHintDivide,
    AccountColNumber,
    AccountCount,
    AccountHintCount,
    AccountTarifications,
    AccountColCategoryName,
    AccountColCategory,
    AccountColAllowance,
    AccountIntervalNotLinked,
    AccountIntervalNotFound,
    AccountAllowanceNotFound,
    AccountTypeAmountZero,
    AccountAllowanceZero,
    AccountChooseCrew,
    AccountHintEditCrew,
    AccountHintEditType,
    AccountHintEditService,
    AccountHintEditCategories,
    AccountPageCrewList,
    AccountCategory,
    AccountQuantity,
    AccountTarification,
    AccountHolidayPercent,
    AccountTotalLosses,
    AccountFundDays,
    AccountFundPerEmployee,
    AccountPagePivot,
    AccountHourRate,
    AccountExtRatePercent,
    AccountExtRateAbs,
    AccountAnnualRate,
    AccountRatePerEmployee,
    AccountRequired,
    AccountMinimalFundConfirm, // %s categories, %f minimal fund
    AccountPlansFromCrewConfirm,

    // Device type time allowance report
    TypeReportSelectServices,
    TypeReportSelectCategories,
    TypeReportType,
    TypeReportModel,
    TypeReportFeature,
    TypeReportAmount,
    TypeReportTotal,
    TypeReportHours,
    TypeReportCategory,
    TypeReportTitle,

    // Crew list and norm reports
    CrewReportCrew,
    CrewReportDepartment,
    CrewReportQuantity,
    CrewReportLengthOf,
    CrewReportWorkingDay,
    ReportTotals,   // the closing line of a report
    ReportSavePdf,  // the preview's command
    ReportPdfFilter, // the file type offered by that command

    // Yearly service plan window (list, pivot and chart)
    PlanYearBox,
    PlanGo,
    PlanHintGo,
    PlanColYear,
    PlanColMonth,   // "Месяц": grid column and the chart's horizontal axis
    PlanPivotMonth, // "Мес": pivot dimension
    PlanPivotService,
    PlanChartAmount,
    PlanChartTitle,
    PlanChooseGroupRow,
    PlanInvalidYear,
    PlanSkippedRecords,
    PlanProgress,
    PlanLastDateRecord,

    // Shared by several windows
    ColDeviceId,
    ColManufactureCode,
    ColAccessCode,
    ColExtPlace,
    ColComments,
    ColSetupDate,
    ColType,
    ColModel,
    ColSystem,
    ColLocation,
    ColPlace,
    ColClass,
    ColMeasurement,
    ColAssignment,
    ColRange,
    ColName,
    ColState,
    ColScale,
    ColGraduation,
    ColAccuracy,
    ColDimension,
    ColParameter,
    LinkedParameters, // linked-table name; also the malfunction window's parameter label
    ColValue,
    NavFirst,
    HintNavFirst,
    NavPrior,
    HintNavPrior,
    NavNext,
    HintNavNext,
    NavLast,
    HintNavLast,
    BtnInsert,
    HintInsert,
    BtnSame,
    HintSame,
    BtnDelete,
    HintDelete,
    BtnPrint,
    HintPrint,
    BtnClose,
    HintClose,
    StatusRowCount,
    StatusCurrent,
    StatusFilterFoundNothing,
    ActionSaveAs,
    HintSaveAs,
    WinDevices, // open command, manager node and window caption
    WinTypes,
    WinServices, // also the linked-table name of the services list
    WinServiceReports,
    WinMalfunctions,
    HintOpenRefusal,
    WinLinkedTables,
    WinManager,
    ActionTableProps,
    HintTableProps,
    HintSwap,
    ActionFind,
    HintFind,
    ActionSelectAll,
    HintSelectAll,
    PageInformation,
    PageExtended,
    PageShiftLog,
    PageServiceLog,
    PageEditLog,
    ColFullServiceName,
    ColShortServiceName,
    ColLastDate,
    ColNextDate,
    BtnAdd, // "+"
    BtnDel, // "-"
    LabelServiceIntervals,
    ColServiceName,
    ColShortName,
    ColIntervalMonths,
    HintAddService,
    HintDeleteService,
    ColCrew,
    ColDepartment,
    TypeColId,
    TypeColType,
    TypeColModel,
    LinkedTypeNames,
    PageChart,
    BtnEdit,
    HintEditService,
    PageParameters, // manager node and the malfunction window's page
    ColDocument,
    ColSign,
    TitleTable, // manager node "Table", and the first word of the table properties caption
    DlgOk,
    DlgCancel,
    LinkedCategories,
    WinAmountPerUnit,
    ColRepetition,
    ColRateTime,
    ColAnnualRate,
    OperationCanceled,
    ColProfession,
    ColShift,
    LinkedWorkDayLength,
    LinkedNominalFund,
    LinkedAnnualHoliday,
    LinkedOtherLosses,

    // Texts longer than their column, and the save dialog's question about the file really written
    DataTextTooLong,    // field label, its length, the column's size
    FileReplaceConfirm, // file name

    // Texts the program writes itself: refusals, messages, printing, dialogs and the command line
    LinkedDeletePlacesFirst, // the linked tables window's refusals; English as in the original program
    LinkedDeleteCrewsFirst,
    LinkedDeleteNamesFirst,
    RefCheckValueDevices, // reference checks of the plain lists, one per referring table (%d the count)
    RefCheckValueTypes,
    RefCheckValueShiftLog,
    RefCheckValueMalfunctions,
    RefCheckValueParameters,
    RefCheckValueParameterValues,
    FilterUnexpectedText, // filter row: %s the rest of the text
    FilterOpenQuote,
    FilterNoValue,
    FilterInNeedsList,
    FilterOpenBracket,
    FilterNotNumber, // %s the value
    FilterNotDate,   // %s the value
    FilterLiftedForNewRow, // status bar: a new row the list's filter left out
    DateImpossible,  // %s the text typed
    DateIncomplete,  // %s the text typed
    DateInField,     // %s the field's caption, %s what is wrong
    SaveFilterText,  // file types of the save dialog, in the order of the export formats
    SaveFilterCsv,
    SaveFilterHtml,
    SaveFilterRtf,
    SaveFilterExcel,
    SaveCaptionRows, // %s the command's caption, %d the number of rows to be written
    SaveFailed,      // %s the file, %s the reason
    ExportTooManyRows, // %d the most rows a workbook takes
    ExportCannotCreate, // %s the file
    ExportWorkbookError, // %s the library's reason
    PrintFailed, // %s the printer or file
    PrintPageOf, // %d the page, %d the pages
    PrintDate,   // %s the date
    PreviewCaption,
    PreviewFirst,
    PreviewPrior,
    PreviewNext,
    PreviewLast,
    PreviewPageOf, // "of %d" after the page number field
    PreviewZoomIn,
    PreviewZoomOut,
    PreviewFitWidth,
    PreviewFitPage,
    PreviewPortrait,
    PreviewLandscape,
    PreviewPageSetup,
    PreviewPrint,
    UpgradeBackupLine, // %s the copy
    UpgradeCopyIncomplete,
    UpgradeCopyFailed, // %s the database, %s the copy, %s the reason
    UpgradeStopped,
    UpgradeVersionRowKept,
    SkinCannotRead, // %s the file, %s the reason
    SkinNotFound,   // %s the file
    HelpNotFound,   // %s the places looked in, one per line
    HelpCaption,
    HelpBack,
    HelpForward,
    HelpContents,
    MessageYes,
    MessageNo,
    MonitorCaption,
    FindNotFound, // %s the text
    DatabaseFile, // %s the full path
    FontFamily,
    FontSize,
    FontEffects,
    FontBold,
    FontItalic,
    FontUnderline,
    FontStrikeOut,
    FontSample,
    FontSampleText,
    CommandLineUsage,   // %s the program's name, %s the version
    CommandLineVersion, // %s the version
    CommandLineUnknown, // %s the argument
    // The list of due services from the command line
    DueUsage,
    DueError,         // the problem
    DueUnknownOption, // the option
    DueMissingValue,  // the option
    DueBadDays,       // the text given
    DueNotWritten,    // file name, reason
    DueSummary,       // overdue, days, due soon
    DueSummaryOverdue, // overdue (no reminder horizon)

    // Labour planning: the crew member's number column and editor
    AccountCrewNo,
    // The reminder horizon under Options, and the notice at start-up
    MenuRemind,
    HintRemind,
    RemindDays, // days
    RemindOff,
    DueNoticeCaption,
    DueNoticeText, // overdue, days, due soon
    DueNoticeShow,
    // The legend of the due marks in a window's status bar
    DueLegendOverdue,
    DueLegendDueSoon, // days
    DueLegendHint,
    // The schedule's due commands, and its jump to the device window
    DueFilterOverdue,
    DueFilterOverdueHint,
    DueFilterSoon, // days
    DueFilterSoonButton, // days
    DueFilterSoonHint,
    DueFilterAll,
    DueFilterAllHint,
    NextRepDeviceNotListed,
    NextRepServiceNotListed,
    MalfunctionDeviceNotListed,
    MalfunctionWithoutDevice,

    // Database files the program cannot use, and statements it will not send (the program's own messages)
    FileInUse,          // %s path
    FileReadOnly,       // %s path
    FileDamaged,        // %s path, %s what the engine found
    FileNotDatabase,    // %s path
    FileRestoreAdvice,  // %s file name
    UpgradeNotRun,
    StaleFileRemoved,   // %s path
    StatementTooDeep,   // %d levels
    FilterNulCharacter,
    DatabaseFromNewerProgram, // %s the database
    UpgradeOwnSteps,          // %s the database, %s what the steps bring
    DatabaseReadOnlyStatus,   // status bar: the database only reads
    WriteRefusedReadOnly,     // %s why the database only reads
    SchemaStepLogAuthors,
    SchemaStepMalfunctionList,
    SchemaStepIndexes,
    SchemaStepTextComparison,
    SchemaStepMoveLogKey,
    ServerErrorIntegrity,
    ServerErrorConcurrent,
    ServerErrorResources,
    ServerErrorShutdown,
    ServerErrorConnection,
    ServerErrorPrivilege,
    ServerNoPlant, // %s the database as shown, twice more for the commands

    EntryCount // not an entry: the number of entries
};

inline constexpr int StrEntryCount = static_cast<int>(Str::EntryCount);
inline constexpr int LinkedTableCount = 24;

// 0 English, 1 Russian. Starts as the build's INSTREL_LANGUAGE; the user may choose the other one.
int languageIndex();
// Windows keep the texts they received when they were created: a change reaches the windows
// created afterwards and whatever is given its texts again.
void setLanguageIndex(int index);

// The entry in the current language; no fallback to the other language.
QString Text(Str entry);

// The entry with "%d" (integer), "%s" (text) and "%f" (two decimals, "." as separator) filled in the order they
// stand; "%%" gives "%". A placeholder without an argument stays as it is; surplus arguments are ignored.
QString FormatText(Str entry, const QVariantList& args);
QString formatText(const QString& format, const QVariantList& args);

namespace strlist_detail {
template <typename T>
QVariant toVariant(T&& value)
{
    using U = std::remove_cvref_t<T>;
    if constexpr (std::is_same_v<U, QVariant> || std::is_same_v<U, bool>)
        return QVariant(value);
    else if constexpr (std::is_integral_v<U> && std::is_signed_v<U>)
        return QVariant(static_cast<qlonglong>(value));
    else if constexpr (std::is_integral_v<U>)
        return QVariant(static_cast<qulonglong>(value));
    else if constexpr (std::is_floating_point_v<U>)
        return QVariant(static_cast<double>(value));
    else if constexpr (std::is_same_v<U, std::string>)
        return QVariant(QString::fromStdString(value));
    else if constexpr (std::is_convertible_v<T, const char*>)
        return QVariant(QString::fromUtf8(static_cast<const char*>(value)));
    else if constexpr (std::is_convertible_v<T, QString>)
        return QVariant(QString(std::forward<T>(value)));
    else
        return QVariant::fromValue(std::forward<T>(value));
}

template <typename... Args>
inline constexpr bool isOneList =
    sizeof...(Args) == 1 && (std::is_same_v<std::remove_cvref_t<Args>, QVariantList> && ...);
} // namespace strlist_detail

// FormatText(Str::RefCheckCrewDevices, 3), FormatText(Str::UpgradeWarning, stored, program).
template <typename... Args>
    requires(!strlist_detail::isOneList<Args...>)
QString FormatText(Str entry, Args&&... args)
{
    return FormatText(entry, QVariantList{strlist_detail::toVariant(std::forward<Args>(args))...});
}

// A hint "short|long": the tooltip is the part before the first bar, the status-bar text the part after it;
// a hint without a bar serves for both.
QString hintShort(const QString& hint);
QString hintLong(const QString& hint);
// A message box breaks lines at "\n"; the table's messages break them with "\r".
QString messageText(const QString& text);
// For places that show a caption without an accelerator (window captions, plain labels): single "&" markers
// are dropped and "&&" becomes "&".
QString withoutAccelerator(const QString& text);

// The linked-table names in the order the main window builds them: position k is page k of the linked tables
// window and node code 60 + k of the table/form manager.
const std::array<Str, LinkedTableCount>& linkedTableEntries();
QStringList linkedTableNames();
