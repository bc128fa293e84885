#include "text/StrList.h"

#include <QtGlobal>

#include <iterator>

#ifndef INSTREL_LANGUAGE
#define INSTREL_LANGUAGE 1
#endif

namespace {

struct Entry {
    Str key; // the constant the entry stands for, so that the order is checked when the program is compiled
    const char16_t* english;
    const char16_t* russian;
};

// clang-format off
constexpr Entry entries[] = {
    // Data module
    {Str::DataOpenFailed,
     u"Unable to open Instrel.\rInstall last Microsoft Data Access Components (MDAC) from "
     u"http://www.microsoft.com/data/download.htm.",
     u"Невозможно запустить программу.\rУстановите компоненты для доступа к данным "
     u"Microsoft Data Access Components (MDAC) с сайта http://www.microsoft.com/data/download.htm."},

    // Main window
    {Str::LinkedSystems, u"Systems", u"Системы"},
    {Str::LinkedClasses, u"Classes", u"Классы"},
    {Str::LinkedMeasurements, u"Measurements", u"Виды измерений"},
    {Str::LinkedAssignments, u"Assignments", u"Назначения"},
    {Str::LinkedRanges, u"Ranges", u"Пределы измерения"},
    {Str::LinkedStates, u"States", u"Состояния"},
    {Str::LinkedScales, u"Scales", u"Шкалы"},
    {Str::LinkedGraduations, u"Graduations", u"Градуировки"},
    {Str::LinkedAccuracies, u"Accuracies", u"Точности"},
    {Str::LinkedDesigns, u"Designs", u"Конструкции"},
    {Str::LinkedMadeBy, u"Made by", u"Изготовители"},
    {Str::LinkedDimensions, u"Dimentions", u"Размерности"},
    {Str::MainChooseTable, u"Choose table", u"Выберите таблицу"},
    {Str::MainCaption, u"Instrel", u"Instrel"},
    {Str::MenuFile, u"&File", u"Файл"},
    {Str::MenuFileHint, u"File related commands", u"Меню: файл"},
    {Str::MenuView, u"&View", u"Вид"},
    {Str::MenuViewHint, u"View commands", u"Меню: Вид"},
    {Str::MenuEdit, u"&Edit", u"Правка"},
    {Str::MenuEditHint, u"Edit commands", u"Меню: правка"},
    {Str::MenuOptions, u"Options", u"Настройка"},
    {Str::MenuOptionsHint, u"Options related commands", u"Меню: настройка"},
    {Str::MenuWindow, u"&Window", u"Окно"},
    {Str::MenuWindowHint, u"Window related commands", u"Меню: окно"},
    {Str::MenuHelp, u"&Help", u"Справка"},
    {Str::MenuHelpHint, u"Help topics", u"Меню: справка"},
    {Str::MenuOpenTable, u"Open table", u"Открыть таблицу"},
    {Str::MenuOpenTableHint, u"Open table", u"Открыть таблицу"},
    {Str::ActionFileClose, u"Close", u"Закрыть окно"},
    {Str::HintFileClose, u"Close|Close current file", u"Закрыть активное окно"},
    {Str::ActionPreview, u"Preview", u"Просмотр на печать"},
    {Str::HintPreview, u"File|Preview", u"Просмотр на печать"},
    {Str::ActionExit, u"E&xit", u"Выход"},
    {Str::HintExit, u"Exit|Exit application", u"Выход из программы"},
    {Str::ActionOpenDatabase, u"&Open database…", u"&Открыть базу данных…"},
    {Str::HintOpenDatabase, u"Open database|Work on another plant's database file",
     u"Работать с файлом базы данных другого предприятия"},
    {Str::OpenDatabaseCaption, u"Open database", u"Открыть базу данных"},
    {Str::OpenDatabaseFilter, u"Databases (*.db *.sqlite *.sqlite3);;All files (*)",
     u"Базы данных (*.db *.sqlite *.sqlite3);;Все файлы (*)"},
    {Str::ActionImportDevices, u"Import devices…", u"Импорт устройств…"},
    {Str::HintImportDevices, u"Import devices|Add devices, their crews and services from a workbook or a delimited text file",
     u"Добавить устройства, их бригады и обслуживания из таблицы: книги или текстового файла с разделителями"},
    {Str::ActionImportTemplate, u"Import template…", u"Шаблон импорта…"},
    {Str::HintImportTemplate, u"Import template|Write empty tables (a workbook and a text file) with the titles the device import reads",
     u"Записать пустые таблицы (книгу и текстовый файл) с заголовками, которые читает импорт устройств"},
    {Str::HintOpenDevice, u"Open device table", u"Открыть таблицу паспортов"},
    {Str::HintOpenDevType, u"Open types table", u"Открыть таблицу типов устройств"},
    {Str::HintOpenNextRep, u"Open service table", u"Открыть таблицу обслуживаний"},
    {Str::HintOpenReport, u"Open service reports and charts", u"Открыть таблицу годовых отчетов"},
    {Str::HintOpenSprav, u"Open linked tables", u"Открыть справочники"},
    {Str::HintOpenManager, u"Open table/form manager", u"Открыть менеджер форм"},
    {Str::ActionSwap, u"Toggle table/form", u"Переключить таб/фор"},
    {Str::ActionCut, u"Cu&t", u"Вырезать"},
    {Str::HintCut, u"Cut|Cuts the selection and puts it on the Clipboard", u"Вырезать в буфер"},
    {Str::ActionCopy, u"&Copy", u"Копировать"},
    {Str::HintCopy, u"Copy|Copies the selection and puts it on the Clipboard", u"Копировать в буфер"},
    {Str::ActionPaste, u"&Paste", u"Вставить"},
    {Str::HintPaste, u"Paste|Inserts Clipboard contents", u"Вставить из буфера"},
    {Str::ActionFont, u"Select &Font...", u"Шрифт"},
    {Str::HintFont, u"Font Select", u"Выбрать шрифт"},
    {Str::MenuSkins, u"Select Skin...", u"Скины"},
    {Str::HintSkins, u"Skin Select", u"Выбрать скин"},
    {Str::MenuLanguage, u"&Language", u"&Язык"},
    {Str::HintLanguage, u"The language of menus and of the windows opened from now on",
     u"Язык меню и окон, открытых после выбора"},
    {Str::LanguageEnglish, u"English", u"English"},
    {Str::LanguageRussian, u"Русский", u"Русский"},
    {Str::ActionCascade, u"&Cascade", u"Каскадное расположение"},
    {Str::HintCascade, u"Cascade", u"Каскадное расположение"},
    {Str::ActionTileHorizontal, u"Tile &Horizontally", u"Горизонтальное расположение"},
    {Str::HintTileHorizontal, u"Tile Horizontally", u"Горизонтальное расположение"},
    {Str::ActionTileVertical, u"Tile &Vertically", u"Вертикальное расположение"},
    {Str::HintTileVertical, u"Tile Vertically", u"Вертикальное расположение"},
    {Str::ActionMinimizeAll, u"&Minimize All", u"Свернуть все"},
    {Str::HintMinimizeAll, u"Minimize All", u"Свернуть все"},
    {Str::ActionHelpIndex, u"Index", u"Справка"},
    {Str::HintHelpIndex, u"Displays help form", u"Справка"},
    {Str::ActionAbout, u"&About...", u"О программе.."},
    {Str::HintAbout, u"Displays program information, version number, and copyright", u"Сведения о программе.."},
    {Str::EditKindDeleted, u"Deleted", u"Удален"},
    {Str::EditKindEdited, u"Edited", u"Редакт."},
    {Str::EditKindAdded, u"Added", u"Добавлен"},
    {Str::LinkedDocuments, u"Documents", u"Документы"},
    {Str::LinkedDepartmentsCrews, u"Departments && Crews", u"Подразделения и бригады"},
    {Str::LinkedLocationsPlaces, u"Locations && Places", u"Расположения и места установки"},
    {Str::LinkedMalfunctionGroups, u"Malfunctions groups && names", u"Группы и наименования неисправностей"},
    {Str::FindCaption, u"Find text", u"Найти текст"},
    {Str::FindTextLabel, u"Text to find:", u"&Образец:"},
    {Str::FindInLabel, u"Finf in", u"&Поиск в:"},
    {Str::FindMatchingLabel, u"Matching:", u"&Совпадение:"},
    {Str::FindDirectionLabel, u"Direction:", u"Прос&мотр:"},
    {Str::FindCaseSensitive, u"Case sensitive", u"С учетом ре&гистра"},
    {Str::FindFormatSensitive, u"Format sensitive", u"С у&четом формата"},
    {Str::FindNext, u"Find next", u"На&йти далее"},
    {Str::FindMatchAnyPart, u"From any part of field", u"С любой части поля"},
    {Str::FindMatchWhole, u"Whole field", u"Поля целиком"},
    {Str::FindMatchStart, u"From beging of field", u"С начала поля"},
    {Str::FindUp, u"Up", u"Вверх"},
    {Str::FindDown, u"Down", u"Вниз"},
    {Str::FindAll, u"All", u"Все"},
    {Str::HintOpenAccount, u"Open amounts table", u"Открыть таблицу затрат"},
    {Str::UpgradeWarning, u"Your current database version %s will be updated to %s.",
     u"Текущая версия базы данных версии %s будет преобразована до версии %s."},
    {Str::ActionShowKits, u"Show kits", u"Показать комплекты"},

    // About box
    {Str::AboutCaption, u"About Instrel", u"О программе.."},
    {Str::AboutVersion, u"Version", u"Версия"},

    // Reference checks before deletion
    {Str::RefCheckDeviceServices, u"Found references ( amount = %d ) to services for this device.",
     u"Найдены обслуживания ( колич. = %d ) для данного устройства."},
    {Str::RefCheckDeviceCrews, u"Found references ( amount = %d ) to Crews for this device.",
     u"Найден список Бригад ( колич. = %d ) для данного устройства."},
    {Str::RefCheckDeviceMalfunctions, u"Found references ( amount = %d ) to Malfunctions for this device.",
     u"Найдены ссылки ( колич. = %d ) в Неисправностях для данного устройства."},
    {Str::RefCheckDeviceKits, u"Found references ( amount = %d ) to Kits for this device.",
     u"Найдены ссылки ( колич. = %d ) в Комплектах для данного устройства."},
    {Str::RefCheckTypeDevices, u"Found references ( amount = %d ) to this type in Devices.",
     u"Есть ссылки ( колич.= %d ) на данный тип устройства в Паспортах."},
    {Str::RefCheckTypeIntervals, u"Found references ( amount = %d ) to this type in Intervals.",
     u"Есть ссылки ( колич.= %d ) на данный тип устройства в Интервалах."},
    {Str::RefCheckCrewDevices, u"There are references ( quantity = %d ) to this Crew in Devices.",
     u"Есть ссылки ( колич.= %d ) на данную Бригаду в Паспортах."},
    {Str::RefCheckCrewServices, u"There are references ( quantity = %d ) to this Crew in Services.",
     u"Есть ссылки ( колич.= %d ) на данную Бригаду в Обслуживаниях."},
    {Str::RefCheckCrewTypeCounts, u"There are references ( quantity = %d ) to this Crew in Types (Amount per unit).",
     u"Есть ссылки ( колич.= %d ) на данную Бригаду в Типах устройств (Затраты на обслуживание)."},
    {Str::RefCheckCrewList,
     u"There are references ( quantity = %d ) to this Crew in Crew List (Amount per unit).",
     u"Есть ссылки ( колич.= %d ) на данную Бригаду в Составе Бригад (Затраты на обслуживание)."},
    {Str::RefCheckServiceRowTarifications, u"Found references to tarifications ( amount = %d ).",
     u"Найдены ссылки на тарификации ( колич.= %d )."},
    {Str::RefCheckServiceRowNextServices, u"Found references to device current services ( amount = %d ).",
     u"Найдены ссылки на текущие обслуживания устройств ( колич.= %d )."},
    {Str::RefCheckDayLengthCrewList,
     u"Found references to this lenth of working day in crew structure ( amount = %d ).",
     u"Найдены ссылки на эту продолжительность рабочего дня в списке бригад ( колич.= %d )."},
    {Str::RefCheckFundCrewList, u"Found references to this fund in crew structure ( amount = %d ).",
     u"Найдены ссылки на этот фонд в списке бригад ( колич.= %d )."},
    {Str::RefCheckHolidayCrewList, u"Found references to this annual holiday in crew structure ( amount = %d ).",
     u"Найдены ссылки на этот очередной отпуск в списке бригад ( колич.= %d )."},
    {Str::RefCheckLossCrewList, u"Found references to this losses in crew structure ( amount = %d ).",
     u"Найдены ссылки на эти потери в списке бригад ( колич.= %d )."},
    {Str::RefCheckCategoryCrewList, u"Found references to this category in crew structure ( amount = %d ).",
     u"Найдены ссылки на эту категорию в списке бригад ( колич.= %d )."},
    {Str::RefCheckCategoryTarifications, u"Found references to this category in tarifications ( amount = %d ).",
     u"Найдены ссылки на эту категорию в тарификациях ( колич.= %d )."},
    {Str::RefCheckCategoryNormState, u"Found references to this category in pivot table ( amount = %d ).",
     u"Найдены ссылки на эту категорию в сводке ( колич.= %d )."},
    {Str::RefCheckServiceServiceRows, u"Found references to service in services (Devices,Types) ( amount = %d ).",
     u"Найдены ссылки на это обслуживание в таблице обслуживаний (Паспорта,Типы)( колич.= %d )."},

    // Table window
    {Str::TableSwap, u"Table/Form", u"Таб/Фор"},
    {Str::TableGroupBox, u"Group box", u"Группировка"},
    {Str::TableNull, u"<null>", u"<нет>"},
    {Str::TableEmpty, u"<empty>", u"<пусто>"},
    {Str::TableAmount, u"amount", u"колич."},
    {Str::TableGroup, u"group", u"груп"},
    {Str::TableNoData, u"no data", u"нет данных"},
    {Str::TableSortAsc, u"Sort Ascending", u"Сортировать по возрастающей"},
    {Str::TableSortDesc, u"Sort Descending", u"Сортировать по убывающей"},
    {Str::TableGroupCol, u"Group By This Column", u"Группировать по этой колонке"},
    {Str::TableUngroupCol, u"Ungroup By This Column", u"Разгруппировать по этой колонке"},
    {Str::TableSortNone, u"None Sort", u"Нет сортировки"},
    {Str::TableCustFilter, u"Custom Date Filter", u"Фильтр для даты"},
    {Str::TableHideColumn, u"Hide This Column", u"Скрыть эту колонку"},
    {Str::TableSelectTab, u"Select tab", u"Выберите закладку"},

    // Linked tables window
    {Str::LinkedLabelLocations, u"Locations", u"Расположения"},
    {Str::LinkedLabelPlaces, u"Places", u"Места установки"},
    {Str::LinkedLabelCrews, u"Crews", u"Бригады"},
    {Str::LinkedLabelDepartments, u"Departments", u"Подразделения"},
    {Str::LinkedLabelGroups, u"Groups", u"Группы"},
    {Str::LinkedLabelNames, u"Names", u"Наименования"},
    {Str::LinkedColRegNumber, u"Reg. number", u"Рег. номер"},

    // Table properties dialog
    {Str::PropsVisibleColumns, u"Visible columns", u"Видимые колонки"},
    {Str::PropsCaptionSuffix, u"properties", u"- настройка"},
    {Str::PropsGroupColumns, u"Columns for grouping", u"Колонки для группирования"},
    {Str::PropsSortColumns, u"Columns for sorting", u"Колонки для сортирования"},
    {Str::PropsColumn, u"Column", u"Колонка"},
    {Str::PropsSorting, u"Sorting", u"Тип сортировки"},
    {Str::PropsAsc, u"asc", u"возр."},
    {Str::PropsDesc, u"desc", u"убыв."},

    // Date range dialog
    {Str::DateRangeCaption, u"Input dates", u"Введите даты"},
    {Str::DateRangeFrom, u"Date between", u"Дата с "},
    {Str::DateRangeTo, u"and", u"по"},

    // Dual list dialog
    {Str::DualListSource, u"Source list", u"Исходный список"},
    {Str::DualListDest, u"Dest list", u"Выбрано"},

    // Device passport window
    {Str::DeviceColChangeDate, u"Change date", u"Дата изменения"},
    {Str::DeviceColChangedBy, u"Changed by", u"Изменил"},
    {Str::DeviceServicesLabel, u"Services", u"Обслуживания"},
    {Str::DeviceServicesNeedCrew, u"First add a crew on the page «%s»", u"Сначала добавьте бригаду на вкладке «%s»"},
    {Str::DeviceLogClear, u"Clear", u"Очистить"},
    {Str::DeviceLogConfirmClear, u"Confirm clearing?", u"Подтверждаете очистку?"},
    {Str::DeviceLogLast, u"Last", u"Предыдущ."},
    {Str::DeviceLogNext, u"Next", u"Следующ."},
    {Str::DeviceLogBefore, u"Before", u"Было"},
    {Str::DeviceLogAfter, u"After", u"Стало"},
    {Str::DeviceColLastLocation, u"Last location", u"Прошлое расположение"},
    {Str::DeviceColNextLocation, u"Next location", u"Следующее расположение"},
    {Str::DeviceColLastPlace, u"Last place", u"Прошлое место установки"},
    {Str::DeviceColNextPlace, u"Next place", u"Следующее место установки"},
    {Str::DeviceColLastState, u"Last state", u"Прошлое состояние"},
    {Str::DeviceColNextState, u"Next state", u"Следующее состояние"},
    {Str::DeviceColLastSetupDate, u"Last setup date", u"Прошлая дата установки"},
    {Str::DeviceColNextSetupDate, u"Next setup date", u"Следующая дата установки"},
    {Str::DeviceColLastExtPlace, u"Last extplace", u"Прошлое место доп.установки"},
    {Str::DeviceColNextExtPlace, u"Next extplace", u"Следующее место доп.установки"},
    {Str::DeviceColLastDateBefore, u"Last date before", u"Дата предыдущего обслуживания до"},
    {Str::DeviceColNextDateBefore, u"Next date before", u"Дата следующего обслуживания до"},
    {Str::DeviceColLastDateAfter, u"Last date after", u"Дата предыдущего обслуживания после"},
    {Str::DeviceColNextDateAfter, u"Next date after", u"Дата следующего обслуживания после"},
    {Str::DeviceHintAddService, u"Add service", u"Добавить обслуживание"},
    {Str::DeviceHintDeleteService, u"Delete service", u"Удалить обслуживание"},
    {Str::DeviceLastToNow, u"Last->Now", u"Пред.->Сегодн."},
    {Str::DeviceHintLastToNow, u"Set last date to now", u"Установить дату предыдущего обслуживания на сегодня"},
    {Str::DeviceCountNext, u"Count next date", u"Вычисл.след.дату"},
    {Str::DeviceHintCountNext, u"Count next service date", u"Вычислить дату следующего обслуживания"},
    {Str::DeviceWhere, u"Where", u"Где"},
    {Str::DeviceCrewsLabel, u"Crews", u"Бригады"},
    {Str::DeviceHintAddCrew, u"Add crew", u"Добавить бригаду"},
    {Str::DeviceHintDeleteCrew, u"Delete crew", u"Удалить бригаду"},
    {Str::DeviceTypeChangeRefused, u"Delete appropriate services before deleting device type.",
     u"Удалите соответствующие обслуживания перед удалением типа устройства."},
    {Str::DeviceIntervalUpdateConfirm,
     u"There are references ( amount = %d ) to this interval in Sevices. "
     u"Are you sure to update all next services dates?.",
     u"Есть ссылки ( колич.= %d ) на данный интервал в Обслуживаниях. "
     u"Хотите пересчитать даты следующих ремонтов?."},
    {Str::DeviceIntervalNull, u"Interval is null. Operation canceled.", u"Нулевой интервал. Операция отменена."},
    {Str::DeviceLastDateNull, u"The last service date is empty: there is nothing to count the next date from. "
                              u"Operation canceled.",
     u"Не указана дата предыдущего обслуживания: не от чего вычислить дату следующего. Операция отменена."},
    {Str::DeviceLogShowAll, u"Show all", u"Показать все"},
    {Str::DeviceColEditKind, u"State", u"Режим"},
    {Str::DeviceLogNotes, u"Notes", u"Заметки"},
    {Str::DeviceIntervalNeedsCrew, u"Choose the device type and a crew of the device first.",
     u"Сначала выберите тип устройства и бригаду устройства."},
    {Str::DeviceNoCurrent, u"There is no device in the list: choose or add a device first.",
     u"В списке нет устройства: сначала выберите или добавьте устройство."},
    {Str::DeviceNextDateBeyond, u"The next date would fall after 31.12.9999. Operation canceled.",
     u"Следующая дата получается позже 31.12.9999. Операция отменена."},
    {Str::DeviceMoveEntryGone,
     u"This entry is no longer in the move log: the log has been cleared or shortened meanwhile. The notes are not saved.",
     u"Этой записи уже нет в журнале передвижений: журнал очищен или сокращён. Заметки не сохранены."},
    {Str::IntervalNegative, u"The interval cannot be negative. Operation canceled.",
     u"Интервал не может быть отрицательным. Операция отменена."},
    {Str::KitList, u"Kits list", u"Список комплектов"},
    {Str::KitAllDevices, u"All devices", u"Все устройства"},
    {Str::KitRoot, u"Kits", u"Комплекты"},
    {Str::KitAcodePrefix, u"Acode.", u"Инв."},
    {Str::KitManufPrefix, u"Manuf.", u"Зав."},
    {Str::KitDeleteKitConfirm, u"Delete kit completely?", u"Удалить комплект полностью?"},
    {Str::KitDeleteAllConfirm, u"Delete all kits?", u"Удалить все комплекты?"},
    {Str::KitIntoItself, u"Can't insert a kit into itself.", u"Нельзя добавить комплект сам в себя."},
    {Str::KitAlreadyInKit, u"Already, there is such device in the kit.", u"Уже есть такое устройство в комплекте."},
    {Str::KitHintShow, u"Show kit", u"Показать комплект"},
    {Str::KitHintAdd, u"Add kit", u"Добавить комплект"},
    {Str::KitHintDelete, u"Delete kit", u"Удалить комплект"},
    {Str::KitHintClose, u"Close window", u"Закрыть окно комплектов"},
    {Str::KitCycle, u"The kits are damaged: the entries %s lie under themselves. Kits cannot be shown or changed until these rows of Complect are corrected.",
     u"Комплекты повреждены: записи %s входят сами в себя. Показать или изменить комплекты нельзя, пока эти строки Complect не исправлены."},

    // Device types window
    {Str::TypeColDesign, u"Design", u"Конструкция"},
    {Str::TypeColMadeBy, u"Made by", u"Изготовитель"},
    {Str::TypeColName, u"Name", u"Наименование"},
    {Str::TypeColAccuracy, u"Accuracy", u"Точность"},
    {Str::TypeColLifeTime, u"Life time", u"Срок службы"},
    {Str::TypeColMtbf, u"Mean time between failures", u"Время наработки на отказ"},
    {Str::TypeColComments, u"Comments", u"Комментарий"},
    {Str::TypeCrewRequired, u"Department and Crew are required.", u"Указание бригады обязательно."},
    {Str::TypeNoCrews, u"There are no crews. Add a department and a crew in the linked tables first.",
     u"Нет ни одной бригады. Сначала добавьте подразделение и бригаду в справочниках."},

    // Malfunction window
    {Str::MalfunctionColId, u"ID_Malfunction", u"ID неиспр."},
    {Str::MalfunctionColDate, u"Date", u"Дата"},
    {Str::MalfunctionColGroup, u"Group", u"Группа"},
    {Str::MalfunctionColName, u"Name", u"Наименование"},
    {Str::MalfunctionColComments, u"Comments", u"Комментарий"},
    {Str::MalfunctionColReason, u"Reason", u"Причина"},
    {Str::MalfunctionColAmount, u"Amount", u"Колич."},
    {Str::MalfunctionColElimination, u"Elimination", u"Мероприятия по устранению"},
    {Str::MalfunctionDeviceBox, u"Device", u"Устройство"},
    {Str::MalfunctionHintAddParam, u"Add parameter", u"Добавить параметр неисправности"},
    {Str::MalfunctionHintDeleteParam, u"Delete parameter", u"Удалить параметр неисправности"},

    // Labour planning window
    {Str::AccountColCount, u"Amount", u"Колич."},
    {Str::AccountHintAddType, u"Add type", u"Добавить тип устройства"},
    {Str::AccountHintDeleteType, u"Delete type", u"Удалить тип устройства"},
    {Str::AccountHintAddPerson, u"Add person", u"Добавить персонал"},
    {Str::AccountHintDeletePerson, u"Delete person", u"Удалить персонал"},
    {Str::AccountDivide, u"Div", u"-/-"},
    {Str::AccountHintDivide, u"Divide time allowance equally", u"Поделить норму времени поровну"},
    {Str::AccountColNumber, u"Nomber", u"Номер"},
    {Str::AccountCount, u"Count", u"Выч."},
    {Str::AccountHintCount, u"Count all values", u"Подсчитать все значения"},
    {Str::AccountTarifications, u"Tarifications", u"Тарификации"},
    {Str::AccountColCategoryName, u"Name of category", u"Наименование разряда"},
    {Str::AccountColCategory, u"Employee's category", u"Разряд сотрудника"},
    {Str::AccountColAllowance, u"Allowance", u"Норма времени"},
    {Str::AccountIntervalNotLinked, u"Interval and repetition is not linked to formula Interval=12/Repetition.",
     u"Интервал и повторяемость не связаны формулой И=12/П."},
    {Str::AccountIntervalNotFound, u"Interval and repetition are not found.",
     u"Не заданы ни интервал ни периодичность."},
    {Str::AccountAllowanceNotFound, u"Time allowance is not found.", u"Не задана норма времени."},
    {Str::AccountTypeAmountZero, u"Amount of this device type = 0.", u"Количество оборудования данного типа = 0."},
    {Str::AccountAllowanceZero, u"Time allowance = 0.", u"Норма времени = 0."},
    {Str::AccountChooseCrew, u"Choose Department and Crew", u"Выберите Подразделение и Бригаду"},
    {Str::AccountHintEditCrew, u"Edit Department and Crew in Linked Tables.", u"Редактирование справочной информации."},
    {Str::AccountHintEditType, u"Edit Type in Types tables.", u"Редактирование типа устройства."},
    {Str::AccountHintEditService, u"Edit Service in Linked Tables.", u"Редактирование обслуживания в Справочниках."},
    {Str::AccountHintEditCategories, u"Edit Categories in Linked Tables.", u"Редактирование разрядов в Справочниках."},
    {Str::AccountPageCrewList, u"Crew structure", u"Список бригады"},
    {Str::AccountCategory, u"Category", u"Квалификационный разряд"},
    {Str::AccountQuantity, u"Quantity", u"Списочная численность"},
    {Str::AccountTarification, u"Tarification", u"Тариф"},
    {Str::AccountHolidayPercent, u"Annual holiday (%)", u"Очередные отпуска в процентах"},
    {Str::AccountTotalLosses, u"Total losses (%)", u"Сумма потерь в %"},
    {Str::AccountFundDays, u"Effective time fund (days)", u"Эффективный фонд времени в днях"},
    {Str::AccountFundPerEmployee, u"Effective time fund for one employee (hours)",
     u"Эффективный фонд времени на одного сотрудника в часах"},
    {Str::AccountPagePivot, u"Pivot", u"Сводка"},
    {Str::AccountHourRate, u"Hour rate", u"План по часам"},
    {Str::AccountExtRatePercent, u"Extended rate (%)", u"Дополнительный объем в %"},
    {Str::AccountExtRateAbs, u"Extended rate (abs)", u"Дополнительный план"},
    {Str::AccountAnnualRate, u"Annual rate", u"Годовой объем"},
    {Str::AccountRatePerEmployee, u"Rate per 1 emp", u"План на 1 человека"},
    {Str::AccountRequired, u"Required quantity", u"Требуемое количество"},
    {Str::AccountMinimalFundConfirm,
     u"Ther is allowance for categories: %s not in crew stucture.\r"
     u"Do you want to set up for this categories a minimal fund of working time %f ?",
     u"Есть нормы времени для разрядов: %s не присутствующих в списке бригады.\r"
     u"Принять для них минимальный фонд рабочего времени %f ?"},
    {Str::AccountPlansFromCrewConfirm, u"Do you want to set up rates fo 1 employee from crew structure?",
     u"Взять ли планы из списка бригад?"},

    // Device type time allowance report
    {Str::TypeReportSelectServices, u"Select services (max=4)", u"Выберите обслуживания (макс=4)"},
    {Str::TypeReportSelectCategories, u"Select categories (max=6)", u"Выберите разряды (макс=6)"},
    {Str::TypeReportType, u"Type", u"Наименование оборудования"},
    {Str::TypeReportModel, u"Mark, model,", u"Тип,марка,"},
    {Str::TypeReportFeature, u"feature", u"характеристика"},
    {Str::TypeReportAmount, u"Amo.", u"Кол."},
    {Str::TypeReportTotal, u"Total", u"Общ.колич."},
    {Str::TypeReportHours, u"Hours", u"Часы"},
    {Str::TypeReportCategory, u"Cat.", u"Разр"},
    {Str::TypeReportTitle, u"Time allowances for servicing the device types", u"Нормы времени на обслуживание типов устройств"},

    // Crew list and norm reports
    {Str::CrewReportCrew, u"Crew", u"Бригада"},
    {Str::CrewReportDepartment, u"Department", u"Подразделение"},
    {Str::CrewReportQuantity, u"Quantity", u"Численность"},
    {Str::CrewReportLengthOf, u"Length of", u"Продолжит."},
    {Str::CrewReportWorkingDay, u"working day", u"рабочего дня"},
    {Str::ReportTotals, u"Total", u"Итого"},
    {Str::ReportSavePdf, u"Save as PDF...", u"Сохранить в PDF..."},
    {Str::ReportPdfFilter, u"PDF files (*.pdf)", u"Файлы PDF (*.pdf)"},

    // Yearly service plan window
    {Str::PlanYearBox, u"Year", u"Год"},
    {Str::PlanGo, u"GO", u"Сформировать"},
    {Str::PlanHintGo, u"Start query", u"Произвести запрос"},
    {Str::PlanColYear, u"Year", u"Год"},
    {Str::PlanColMonth, u"Month", u"Месяц"},
    {Str::PlanPivotMonth, u"Month", u"Мес"},
    {Str::PlanPivotService, u"Serv", u"Обсл"},
    {Str::PlanChartAmount, u"Amount", u"Колич."},
    {Str::PlanChartTitle, u"Service chart", u"График обслуживания"},
    {Str::PlanChooseGroupRow, u"Choose the string from group box with the amount more then 1.",
     u"Выберите строку из окна группировки со значением количества > 1"},
    {Str::PlanInvalidYear, u"Invalid input.", u"Неправильно введен год"},
    {Str::PlanSkippedRecords,
     u"Next-service records without a device or a service were left out of the plan ( amount = %d ): %s",
     u"Записи следующих обслуживаний без устройства или без обслуживания не вошли в план ( колич. = %d ): %s"},
    {Str::PlanProgress, u"Next-service records: %d of %d", u"Записи следующих обслуживаний: %d из %d"},
    {Str::PlanLastDateRecord, u"Access code %s, last date %s",
     u"Инвентарный номер %s, дата предыдущего обслуживания %s"},

    // Shared by several windows
    {Str::ColDeviceId, u"ID_Device", u"Номер в БД"},
    {Str::ColManufactureCode, u"Manufacture code", u"Заводской номер"},
    {Str::ColAccessCode, u"Access code", u"Инвентарный номер"},
    {Str::ColExtPlace, u"ExtPlace", u"Место установки (доп.)"},
    {Str::ColComments, u"Comments", u"Комментарий"},
    {Str::ColSetupDate, u"Setup date", u"Дата установки"},
    {Str::ColType, u"Type", u"Тип"},
    {Str::ColModel, u"Model", u"Марка"},
    {Str::ColSystem, u"System", u"Система"},
    {Str::ColLocation, u"Location", u"Расположение"},
    {Str::ColPlace, u"Place", u"Место установки"},
    {Str::ColClass, u"Class", u"Класс"},
    {Str::ColMeasurement, u"Measurement", u"Вид измерения"},
    {Str::ColAssignment, u"Assignment", u"Назначение"},
    {Str::ColRange, u"Range", u"Пределы измерения"},
    {Str::ColName, u"Name", u"Наименование"},
    {Str::ColState, u"State", u"Состояние"},
    {Str::ColScale, u"Scale", u"Шкала"},
    {Str::ColGraduation, u"Graduation", u"Градуировка"},
    {Str::ColAccuracy, u"Accuracy", u"Точность"},
    {Str::ColDimension, u"Dimention", u"Размерность"},
    {Str::ColParameter, u"Parameter", u"Параметр"},
    {Str::LinkedParameters, u"Parameters", u"Параметры"},
    {Str::ColValue, u"Value", u"Значение"},
    {Str::NavFirst, u"First", u"Первая"},
    {Str::HintNavFirst, u"Go to first record", u"Перейти на первую строку"},
    {Str::NavPrior, u"Prior", u"Предыдущ"},
    {Str::HintNavPrior, u"Go to prior record", u"Перейти на предыдущую строку"},
    {Str::NavNext, u"Next", u"Следующ"},
    {Str::HintNavNext, u"Go to next record", u"Перейти к следующей строке"},
    {Str::NavLast, u"Last", u"Последн."},
    {Str::HintNavLast, u"Go to last record", u"Перейти на последнюю строку"},
    {Str::BtnInsert, u"Insert", u"Добавить"},
    {Str::HintInsert, u"Insert new record", u"Добавить новую строку"},
    {Str::BtnSame, u"Same", u"Дубликат"},
    {Str::HintSame, u"Insert the similar record", u"Добавить дубликат текущей строки"},
    {Str::BtnDelete, u"Delete", u"Удалить"},
    {Str::HintDelete, u"Delete current record", u"Удалить текущую строку"},
    {Str::BtnPrint, u"Print", u"Печать"},
    {Str::HintPrint, u"Print", u"Печать"},
    {Str::BtnClose, u"Close", u"Закрыть"},
    {Str::HintClose, u"Close file", u"Закрыть окно"},
    {Str::StatusRowCount, u"Row count", u"Общ.колич.строк"},
    {Str::StatusCurrent, u"current", u"текущая строка"},
    {Str::StatusFilterFoundNothing, u"Nothing found. A * stands for any part of a value: ИН-1600* also finds ИН-1600-12.",
     u"Ничего не найдено. «*» заменяет любую часть значения: ИН-1600* найдёт и ИН-1600-12."},
    {Str::ActionSaveAs, u"Save Selected As", u"Сохранить как"},
    {Str::HintSaveAs, u"Save selected as file", u"Сохранить в виде файла"},
    {Str::WinDevices, u"Devices", u"Паспорта"},
    {Str::WinTypes, u"Types", u"Типы устройств"},
    {Str::WinServices, u"Services", u"Обслуживания"},
    {Str::WinServiceReports, u"Service reports and charts", u"Отчеты и графики обслуживаний"},
    {Str::WinMalfunctions, u"Malfunctions", u"Неисправности"},
    {Str::HintOpenRefusal, u"Open malfunctions table", u"Открыть таблицу неисправностей"},
    {Str::WinLinkedTables, u"Linked tables", u"Справочники"},
    {Str::WinManager, u"Table/Form manager", u"Менеджер форм"},
    {Str::ActionTableProps, u"Table properties", u"Настройка таблицы"},
    {Str::HintTableProps, u"Open table properties", u"Открыть окно настройки таблицы"},
    {Str::HintSwap, u"Toggle table/form", u"Переключить таб/фор"},
    {Str::ActionFind, u"Find", u"Найти"},
    {Str::HintFind, u"Find", u"Найти"},
    {Str::ActionSelectAll, u"Select All", u"Выбрать все"},
    {Str::HintSelectAll, u"Select All", u"Выбрать все"},
    {Str::PageInformation, u"Information", u"Информация"},
    {Str::PageExtended, u"Extended", u"Дополнительно"},
    {Str::PageShiftLog, u"Shift log", u"Журнал передвижений"},
    {Str::PageServiceLog, u"Service log", u"Журнал обслуживаний"},
    {Str::PageEditLog, u"Edit log", u"Журнал редактирования"},
    {Str::ColFullServiceName, u"Full service name", u"Наименование обслуживания"},
    {Str::ColShortServiceName, u"Short service name", u"Аббревиатура обслуживания"},
    {Str::ColLastDate, u"Last date", u"Дата предыдущего обслуживания"},
    {Str::ColNextDate, u"Next date", u"Дата следующего обслуживания"},
    {Str::BtnAdd, u"Add", u"+"},
    {Str::BtnDel, u"Del", u"-"},
    {Str::LabelServiceIntervals, u"Service intervals", u"Периодичности обслуживания"},
    {Str::ColServiceName, u"Service name", u"Наименование обслуживания"},
    {Str::ColShortName, u"Short name", u"Аббревиатура обслуживания"},
    {Str::ColIntervalMonths, u"Interval (months)", u"Интервал(периодичность) обслуживания"},
    {Str::HintAddService, u"Add service", u"Добавить обслуживание"},
    {Str::HintDeleteService, u"Delete service", u"Удалить обслуживание"},
    {Str::ColCrew, u"Crew", u"Бригада"},
    {Str::ColDepartment, u"Department", u"Подразделение"},
    {Str::TypeColId, u"ID", u"Номер в БД"},
    {Str::TypeColType, u"Type", u"Тип"},
    {Str::TypeColModel, u"Model", u"Марка"},
    {Str::LinkedTypeNames, u"Type names", u"Наименования типов устройств"},
    {Str::PageChart, u"Chart", u"График"},
    {Str::BtnEdit, u"Edit", u"Редакт."},
    {Str::HintEditService, u"Edit service information", u"Редактировать данные по обслуживанию"},
    {Str::PageParameters, u"Parameters", u"Параметры"},
    {Str::ColDocument, u"Document", u"Документ"},
    {Str::ColSign, u"Sign", u"Подпись"},
    {Str::TitleTable, u"Table", u"Таблица"},
    {Str::DlgOk, u"Ok", u"Применить"},
    {Str::DlgCancel, u"Cancel", u"Закрыть"},
    {Str::LinkedCategories, u"Employee's categories", u"Разряды сотрудников"},
    {Str::WinAmountPerUnit, u"Amount per unit", u"Затраты на обслуживание"},
    {Str::ColRepetition, u"Repetition", u"Повторяемость"},
    {Str::ColRateTime, u"Rate time", u"Норма времени"},
    {Str::ColAnnualRate, u"Annual rate", u"Годовой объем"},
    {Str::OperationCanceled, u"Operation canceled.", u"Операция отменена."},
    {Str::ColProfession, u"Profession", u"Наименование рабочего места"},
    {Str::ColShift, u"Shift", u"Сменность явочная"},
    {Str::LinkedWorkDayLength, u"Lenth of working day (hours)", u"Продолжительность рабочего дня в часах"},
    {Str::LinkedNominalFund, u"Nominal time fund (hours)", u"Номинальный фонд рабочего времени в днях"},
    {Str::LinkedAnnualHoliday, u"Annual holiday (days)", u"Очередные отпуска в днях"},
    {Str::LinkedOtherLosses, u"Other losses (%)", u"Прочие потери в %"},
    {Str::DataTextTooLong, u"The text of \"%s\" has %d characters; the field holds at most %d.",
     u"Текст поля «%s» длиной %d знаков; поле вмещает не более %d."},
    {Str::FileReplaceConfirm, u"The file %s already exists.\rReplace it?", u"Файл %s уже существует.\rЗаменить его?"},

    // Texts the program writes itself
    {Str::LinkedDeletePlacesFirst, u"Delete appropriate places before deleting location.",
     u"Удалите места установки этого расположения, прежде чем удалять его."},
    {Str::LinkedDeleteCrewsFirst, u"Delete appropriate crews before deleting department.",
     u"Удалите бригады этого подразделения, прежде чем удалять его."},
    {Str::LinkedDeleteNamesFirst, u"Delete appropriate Names before deleting group.",
     u"Удалите наименования этой группы, прежде чем удалять её."},
    {Str::RefCheckValueDevices, u"Found references ( amount = %d ) to this value in Devices.",
     u"Есть ссылки ( колич.= %d ) на это значение в Паспортах."},
    {Str::RefCheckValueTypes, u"Found references ( amount = %d ) to this value in Types.",
     u"Есть ссылки ( колич.= %d ) на это значение в Типах устройств."},
    {Str::RefCheckValueShiftLog, u"Found references ( amount = %d ) to this value in the Shift log.",
     u"Есть ссылки ( колич.= %d ) на это значение в Журнале передвижений."},
    {Str::RefCheckValueMalfunctions, u"Found references ( amount = %d ) to this value in Malfunctions.",
     u"Есть ссылки ( колич.= %d ) на это значение в Неисправностях."},
    {Str::RefCheckValueParameters, u"Found references ( amount = %d ) to this value in Parameters.",
     u"Есть ссылки ( колич.= %d ) на это значение в Параметрах."},
    {Str::RefCheckValueParameterValues,
     u"Found references ( amount = %d ) to this value in the parameter values of Malfunctions.",
     u"Есть ссылки ( колич.= %d ) на это значение в значениях параметров Неисправностей."},
    {Str::FilterUnexpectedText, u"Unexpected text in the condition: «%s».", u"Непонятный текст в условии: «%s»."},
    {Str::FilterOpenQuote, u"A quote is not closed in the condition.", u"Не закрыта кавычка в условии."},
    {Str::FilterNoValue, u"The condition has no value.", u"В условии нет значения."},
    {Str::FilterInNeedsList, u"In needs a list in brackets.", u"После In нужен список в скобках."},
    {Str::FilterOpenBracket, u"The bracket of the list is not closed.", u"Не закрыта скобка списка."},
    {Str::FilterNotNumber, u"«%s» is not a number.", u"«%s» не число."},
    {Str::FilterNotDate, u"«%s» is not a date.", u"«%s» не дата."},
    {Str::FilterLiftedForNewRow, u"The new row is outside the filter: all rows are listed.",
     u"Новая запись не входит в отбор: показаны все записи."},
    {Str::DateImpossible, u"There is no date «%s»: correct it or clear it.",
     u"Даты «%s» не существует: исправьте её или сотрите."},
    {Str::DateIncomplete, u"The date «%s» is not complete: type the day, the month and the year, or clear it.",
     u"Дата «%s» введена не полностью: введите день, месяц и год или сотрите её."},
    {Str::DateInField, u"%s: %s", u"%s: %s"},
    {Str::SaveFilterText, u"Text files (*.txt)", u"Текстовые файлы (*.txt)"},
    {Str::SaveFilterCsv, u"Comma separated values (*.csv)", u"Значения, разделённые запятыми (*.csv)"},
    {Str::SaveFilterHtml, u"HTML file (*.htm)", u"Веб-страница (*.htm)"},
    {Str::SaveFilterRtf, u"Rich Text Format (*.rtf)", u"Документ RTF (*.rtf)"},
    {Str::SaveFilterExcel, u"Microsoft Excel Workbook (*.xlsx)", u"Книга Excel (*.xlsx)"},
    {Str::SaveCaptionRows, u"%s: rows to write: %d", u"%s: будет записано строк: %d"},
    {Str::SaveFailed, u"Cannot save the file %s:\r%s", u"Не удалось сохранить файл %s:\r%s"},
    {Str::ExportTooManyRows, u"A workbook sheet holds at most %d rows.", u"Лист книги вмещает не больше %d строк."},
    {Str::ExportCannotCreate, u"The workbook %s cannot be created.", u"Не удалось создать книгу %s."},
    {Str::ExportWorkbookError, u"The workbook was not written: %s", u"Книга не записана: %s"},
    {Str::PrintFailed, u"Cannot print: %s", u"Не удалось напечатать: %s"},
    {Str::PrintPageOf, u"Page %d of %d", u"Лист %d из %d"},
    {Str::PrintDate, u"Printed %s", u"Напечатано %s"},
    {Str::PreviewCaption, u"Print preview", u"Предварительный просмотр"},
    {Str::PreviewFirst, u"First page", u"Первый лист"},
    {Str::PreviewPrior, u"Previous page", u"Предыдущий лист"},
    {Str::PreviewNext, u"Next page", u"Следующий лист"},
    {Str::PreviewLast, u"Last page", u"Последний лист"},
    {Str::PreviewPageOf, u"of %d", u"из %d"},
    {Str::PreviewZoomIn, u"Zoom in", u"Крупнее"},
    {Str::PreviewZoomOut, u"Zoom out", u"Мельче"},
    {Str::PreviewFitWidth, u"Fit width", u"По ширине"},
    {Str::PreviewFitPage, u"Whole page", u"Лист целиком"},
    {Str::PreviewPortrait, u"Portrait", u"Книжная"},
    {Str::PreviewLandscape, u"Landscape", u"Альбомная"},
    {Str::PreviewPageSetup, u"Page setup...", u"Параметры страницы..."},
    {Str::PreviewPrint, u"Print...", u"Печать..."},
    {Str::UpgradeBackupLine, u"A copy of the database before the update: %s", u"Копия базы данных до преобразования: %s"},
    {Str::UpgradeCopyIncomplete, u"the copy is incomplete", u"копия неполная"},
    {Str::UpgradeCopyFailed,
     u"The database %s could not be copied to %s before its update: %s.\rThe database was not updated; the file is "
     u"unchanged.",
     u"Не удалось скопировать базу данных %s в %s перед преобразованием: %s.\rБаза данных не преобразована, файл не "
     u"изменён."},
    {Str::UpgradeStopped, u"The database update was stopped and its changes undone.",
     u"Преобразование базы данных прервано, его изменения отменены."},
    {Str::UpgradeVersionRowKept, u" The version row stays written.", u" Запись о версии базы данных сохранена."},
    {Str::SkinCannotRead, u"Cannot read the skin file %s: %s", u"Не удалось прочитать файл скина %s: %s"},
    {Str::SkinNotFound, u"The skin file %s was not found.", u"Файл скина %s не найден."},
    {Str::HelpNotFound, u"The help was not found. It was looked for in:\r%s",
     u"Справка не найдена. Она искалась здесь:\r%s"},
    {Str::HelpCaption, u"Help", u"Справка"},
    {Str::HelpBack, u"Back", u"Назад"},
    {Str::HelpForward, u"Forward", u"Вперёд"},
    {Str::HelpContents, u"Contents", u"Содержание"},
    {Str::MessageYes, u"Yes", u"Да"},
    {Str::MessageNo, u"No", u"Нет"},
    {Str::MonitorCaption, u"SQL-monitor", u"SQL-монитор"},
    {Str::FindNotFound, u"«%s» was not found.", u"«%s» не найдено."},
    {Str::DatabaseFile, u"Database: %s", u"База данных: %s"},
    {Str::FontFamily, u"&Font:", u"&Шрифт:"},
    {Str::FontSize, u"&Size:", u"&Размер:"},
    {Str::FontEffects, u"Effects", u"Начертание"},
    {Str::FontBold, u"&Bold", u"&Полужирный"},
    {Str::FontItalic, u"&Italic", u"&Курсив"},
    {Str::FontUnderline, u"&Underline", u"П&одчёркнутый"},
    {Str::FontStrikeOut, u"S&trikeout", u"&Зачёркнутый"},
    {Str::FontSample, u"Sample", u"Образец"},
    {Str::FontSampleText, u"Manometer MP-100, 0.5 MPa", u"Манометр МП-100, 0…1,6 МПа"},
    {Str::CommandLineUsage,
     u"Usage: %s [/STOP] [FILE] [--database=<file or connection string>] [--help] [--version]\n"
     u"\n"
     u"Instrel %s keeps the devices, services and labour plans of one plant.\n"
     u"It works in the current folder and looks there for:\n"
     u"  Device.db   the plant's database (required unless FILE names another);\n"
     u"  Device.ini  window layouts and settings (written by the program);\n"
     u"  skins/      style sheets offered in Options > Skins;\n"
     u"  help/       the help pages (F1).\n"
     u"Skins and help missing in the current folder are taken from where the program is installed.\n"
     u"\n"
     u"Only one copy of the program runs at a time: a second start brings the running one to the front.\n"
     u"  /STOP, -STOP  (any letter case) make the running copy quit;\n"
     u"  FILE          work on this plant's database file instead of Device.db (also File > Open database);\n"
     u"  --database=<connection string>  work on a PostgreSQL server instead of Device.db\n"
     u"                (\"host=… port=… dbname=… user=…\"; also [Database] Connection= in Device.ini;\n"
     u"                the password comes from ~/.pgpass or PGPASSWORD);\n"
     u"                (a value without \"=\" is a file, as FILE);\n"
     u"  --help        show this text;\n"
     u"  --version     show the program's version.\n"
     u"\n"
     u"To create a database in the current folder:\n"
     u"  instrel-initdb --demo Device.db    a demo plant to try the program on;\n"
     u"  instrel-initdb --empty Device.db   an empty database for your own plant.\n",
     u"Использование: %s [/STOP] [ФАЙЛ] [--database=<файл или строка подключения>] [--help] [--version]\n"
     u"\n"
     u"Instrel %s ведёт паспорта приборов, обслуживания и планы работ одного предприятия.\n"
     u"Программа работает в текущем каталоге и ищет в нём:\n"
     u"  Device.db   базу данных предприятия (обязательно, если ФАЙЛ не назван);\n"
     u"  Device.ini  расположение окон и настройки (программа записывает его сама);\n"
     u"  skins/      скины (меню «Настройка» > «Скины»);\n"
     u"  help/       справку (F1).\n"
     u"Скины и справку, которых нет в текущем каталоге, программа берёт из каталога установки.\n"
     u"\n"
     u"Одновременно работает одна копия программы: повторный запуск выводит её окно на передний план.\n"
     u"  /STOP, -STOP  (в любом регистре) завершить работающую копию;\n"
     u"  ФАЙЛ          работать с этим файлом базы данных вместо Device.db (также «Файл» > «Открыть базу данных»);\n"
     u"  --database=<строка подключения>  работать с сервером PostgreSQL вместо Device.db\n"
     u"                (\"host=… port=… dbname=… user=…\"; или [Database] Connection= в Device.ini;\n"
     u"                пароль берётся из ~/.pgpass или PGPASSWORD);\n"
     u"                (значение без «=» — это файл, как ФАЙЛ);\n"
     u"  --help        показать эту справку;\n"
     u"  --version     показать версию программы.\n"
     u"\n"
     u"Создать базу данных в текущем каталоге:\n"
     u"  instrel-initdb --demo Device.db    демонстрационное предприятие для знакомства с программой;\n"
     u"  instrel-initdb --empty Device.db   пустая база данных для своего предприятия.\n"},
    {Str::CommandLineVersion, u"Instrel %s", u"Instrel %s"},
    {Str::CommandLineUnknown, u"Unknown argument: %s. See --help.", u"Неизвестный аргумент: %s. См. --help."},
    {Str::DueUsage,
     u"Usage: instrel-due [--within DAYS] [--csv FILE] [--xlsx FILE] [DATABASE]\r"
     u"Lists the services that are overdue or due within DAYS days (30 unless given; 0: overdue only),\r"
     u"earliest first, from DATABASE (Device.db in the current folder unless given). The database is only read.\r"
     u"  --within DAYS  the reminder horizon in days, 0 to 3650\r"
     u"  --csv FILE     also write the list to FILE as comma separated values\r"
     u"  --xlsx FILE    also write the list to FILE as an Excel workbook\r"
     u"Exit code: 0 nothing due, 3 something due, 1 error, 2 wrong arguments.",
     u"Использование: instrel-due [--within ДНЕЙ] [--csv ФАЙЛ] [--xlsx ФАЙЛ] [БАЗА]\r"
     u"Выводит просроченные обслуживания и обслуживания в ближайшие ДНЕЙ дней (30, если не указано; 0 — только\r"
     u"просроченные), начиная с самых ранних, из БАЗЫ (Device.db в текущем каталоге, если не указана). База только читается.\r"
     u"  --within ДНЕЙ  срок напоминания в днях, от 0 до 3650\r"
     u"  --csv ФАЙЛ     записать список также в ФАЙЛ с разделителями-запятыми\r"
     u"  --xlsx ФАЙЛ    записать список также в ФАЙЛ книги Excel\r"
     u"Код завершения: 0 — ничего не подошло, 3 — есть что обслужить, 1 — ошибка, 2 — неверные аргументы."},
    {Str::DueError, u"Error: %s", u"Ошибка: %s"},
    {Str::DueUnknownOption, u"unknown option %s", u"неизвестный параметр %s"},
    {Str::DueMissingValue, u"%s needs a value", u"для %s не указано значение"},
    {Str::DueBadDays, u"the number of days must be a whole number from 0 to 3650, not \"%s\"",
     u"число дней должно быть целым от 0 до 3650, а не «%s»"},
    {Str::DueNotWritten, u"the file %s is not written: %s", u"файл %s не записан: %s"},
    {Str::DueSummary, u"Overdue: %d; due within %d days: %d.", u"Просрочено: %d; в ближайшие %d дн.: %d."},
    {Str::DueSummaryOverdue, u"Overdue: %d.", u"Просрочено: %d."},
    {Str::AccountCrewNo, u"No", u"№"},
    {Str::MenuRemind, u"Remind ahead", u"Напоминать за …"},
    {Str::HintRemind, u"How many days ahead the program reminds of services due",
     u"За сколько дней программа напоминает о предстоящих обслуживаниях"},
    {Str::RemindDays, u"%d days", u"%d дней"},
    {Str::RemindOff, u"Do not remind", u"не напоминать"},
    {Str::DueNoticeCaption, u"Services due", u"Сроки обслуживания"},
    {Str::DueNoticeText, u"Overdue services: %d.\rDue within %d days: %d.",
     u"Просрочено обслуживаний: %d.\rВ ближайшие %d дн.: %d."},
    {Str::DueNoticeShow, u"Show them", u"Показать"},
    {Str::DueLegendOverdue, u"Overdue", u"Просрочено"},
    {Str::DueLegendDueSoon, u"Due within %d days", u"Срок в ближайшие %d дн."},
    {Str::DueLegendHint, u"Rows are marked by their next date; the horizon is set under Options",
     u"Строки отмечены по дате следующего обслуживания; срок напоминания задаётся в меню Настройка"},
    {Str::DueFilterOverdue, u"Overdue", u"Просроченные"},
    {Str::DueFilterOverdueHint, u"Overdue|Show the services whose next date has passed",
     u"Показать просроченные обслуживания"},
    {Str::DueFilterSoon, u"Next %d days", u"Ближайшие %d дней"},
    {Str::DueFilterSoonButton, u"Next %d d.", u"Ближ. %d дн."},
    {Str::DueFilterSoonHint, u"Due soon|Show the services due from today to the end of the reminder horizon",
     u"Показать обслуживания, срок которых наступает сегодня или в ближайшие дни"},
    {Str::DueFilterAll, u"All", u"Все"},
    {Str::DueFilterAllHint, u"All services|Show every service again", u"Показать все обслуживания"},
    {Str::NextRepDeviceNotListed,
     u"The device of this service is not listed in the Devices window: a filter hides it or it has been deleted.",
     u"Устройство этого обслуживания не показано в окне «Паспорта»: его скрывает фильтр или оно удалено."},
    {Str::NextRepServiceNotListed, u"This service is no longer listed for the device: it may have been deleted.",
     u"Это обслуживание больше не числится за устройством: возможно, оно удалено."},
    {Str::MalfunctionDeviceNotListed,
     u"The device of this malfunction is not listed in the Devices window: a filter hides it or it has been deleted.",
     u"Устройство этой неисправности не показано в окне «Паспорта»: его скрывает фильтр или оно удалено."},
    {Str::MalfunctionWithoutDevice, u"This malfunction has no device.", u"У этой неисправности не указано устройство."},


    // Database files the program cannot use, and statements it will not send
    {Str::FileInUse,
     u"The database %s is in use by another program. Try again when that program has closed it.",
     u"База данных «%s» используется другой программой. Повторите попытку, когда та программа закроет её."},
    {Str::FileReadOnly,
     u"The database %s cannot be written: the file or its folder is read-only.",
     u"В базу данных «%s» нельзя записывать: файл или его каталог доступен только для чтения."},
    {Str::FileDamaged, u"The database %s is damaged: %s", u"База данных «%s» повреждена: %s"},
    {Str::FileNotDatabase,
     u"The file %s is not a database of the program or is damaged.",
     u"Файл «%s» не является базой данных программы или повреждён."},
    {Str::FileRestoreAdvice,
     u"Restore it from a copy, or move it away and create a new database with \"instrel-initdb --demo %s\".",
     u"Восстановите его из копии или переместите, а затем создайте новую базу данных командой "
     u"«instrel-initdb --demo %s»."},
    {Str::UpgradeNotRun, u"The database was not updated; the file is unchanged.",
     u"База данных не преобразована, файл не изменён."},
    {Str::StaleFileRemoved, u"Removed %s, left behind by an interrupted run.",
     u"Удалён файл «%s», оставшийся от прерванного запуска."},
    {Str::StatementTooDeep, u"The statement is nested more than %d levels deep and was not run.",
     u"Запрос вложен глубже %d уровней и не выполнен."},
    {Str::FilterNulCharacter, u"The condition holds a null character, which cannot be searched for.",
     u"В условии есть нулевой символ, по нему искать нельзя."},
    {Str::DatabaseFromNewerProgram,
     u"The database %s was changed by a newer version of the program. This version can only read it; "
     u"changes are not saved. Use the newer version to work with it.",
     u"База данных «%s» изменена более новой версией программы. Эта версия может её только читать; "
     u"изменения не сохраняются. Для работы с ней используйте новую версию."},
    {Str::UpgradeOwnSteps, u"The database %s will be supplemented: %s.",
     u"База данных «%s» будет дополнена: %s."},
    {Str::DatabaseReadOnlyStatus, u"read only", u"только чтение"},
    {Str::WriteRefusedReadOnly, u"Nothing was saved. %s", u"Ничего не сохранено. %s"},
    {Str::SchemaStepLogAuthors, u"the logs record who made each entry", u"журналы записывают, кто сделал запись"},
    {Str::SchemaStepMalfunctionList, u"a faster list of malfunctions", u"более быстрый список неисправностей"},
    {Str::SchemaStepIndexes, u"indexes for a large plant", u"индексы для большого предприятия"},
    {Str::SchemaStepTextComparison, u"texts compared without regard to case", u"сравнение текстов без учёта регистра"},
    {Str::SchemaStepMoveLogKey, u"a key for each entry of the move log", u"ключ каждой записи журнала передвижений"},
    {Str::ServerErrorIntegrity,
     u"The change was not saved: it would break a link or a rule of the data. Another user may have just changed "
     u"or deleted a record it refers to. Refresh the data and try again.",
     u"Изменение не сохранено: оно нарушило бы связь или правило данных. Возможно, другой пользователь только что "
     u"изменил или удалил запись, на которую оно ссылается. Обновите данные и повторите."},
    {Str::ServerErrorConcurrent,
     u"The change was not saved: it met another user's work at the same moment. Try again.",
     u"Изменение не сохранено: оно столкнулось с одновременной работой другого пользователя. Повторите действие."},
    {Str::ServerErrorResources,
     u"The database server is short of resources (memory, disk space or connections). Tell its administrator.",
     u"Серверу базы данных не хватает ресурсов (памяти, места на диске или подключений). Сообщите администратору "
     u"сервера."},
    {Str::ServerErrorShutdown,
     u"The database server is shutting down or restarting. Try again in a while.",
     u"Сервер базы данных останавливается или перезапускается. Повторите действие через некоторое время."},
    {Str::ServerErrorConnection,
     u"The connection to the database server failed. Check the network and try again.",
     u"Нет связи с сервером базы данных. Проверьте сеть и повторите действие."},
    {Str::ServerErrorPrivilege,
     u"The database user is not allowed to do this. Ask the server's administrator for the right.",
     u"Пользователю базы данных это действие не разрешено. Обратитесь к администратору сервера."},
    {Str::ServerNoPlant,
     u"The database %s holds no plant: the program's tables are not there.\nCreate one with "
     u"instrel-initdb --demo \"%s\" (or --empty), or copy a plant into it from its file with "
     u"instrel-initdb --copy Device.db \"%s\".",
     u"В базе данных %s нет предприятия: таблиц программы в ней нет.\nСоздайте его командой "
     u"instrel-initdb --demo \"%s\" (или --empty) или перенесите в неё предприятие из файла командой "
     u"instrel-initdb --copy Device.db \"%s\"."},
};
// clang-format on

constexpr bool entriesFollowTheEnum()
{
    for (int i = 0; i < StrEntryCount; ++i) {
        if (static_cast<int>(entries[i].key) != i)
            return false;
    }
    return true;
}

static_assert(std::size(entries) == StrEntryCount, "one table entry per constant of Str");
static_assert(entriesFollowTheEnum(), "the table must list the entries in the order of Str");

constexpr std::array<Str, LinkedTableCount> linkedTables = {
    Str::LinkedAccuracies,          // 0
    Str::LinkedAssignments,         // 1
    Str::LinkedClasses,             // 2
    Str::LinkedDepartmentsCrews,    // 3
    Str::LinkedDesigns,             // 4
    Str::LinkedDimensions,          // 5
    Str::LinkedDocuments,           // 6
    Str::LinkedGraduations,         // 7
    Str::LinkedLocationsPlaces,     // 8
    Str::LinkedMalfunctionGroups,   // 9
    Str::LinkedMadeBy,              // 10
    Str::LinkedMeasurements,        // 11
    Str::LinkedParameters,          // 12
    Str::LinkedRanges,              // 13
    Str::LinkedScales,              // 14
    Str::WinServices,               // 15
    Str::LinkedStates,              // 16
    Str::LinkedSystems,             // 17
    Str::LinkedTypeNames,           // 18
    Str::LinkedCategories,          // 19
    Str::LinkedWorkDayLength,       // 20
    Str::LinkedNominalFund,         // 21
    Str::LinkedAnnualHoliday,       // 22
    Str::LinkedOtherLosses,         // 23
};

int currentLanguage = INSTREL_LANGUAGE;

QString entryText(Str entry, int language)
{
    const int index = static_cast<int>(entry);
    if (index < 0 || index >= StrEntryCount) {
        qWarning("StrList: no entry %d in the string table", index);
        return {};
    }
    const Entry& e = entries[index];
    return QString::fromUtf16(language == 0 ? e.english : e.russian);
}

// The text that replaces one placeholder: "%d" an integer, "%f" two decimals with ".", "%s" the text.
QString placeholderText(QChar kind, const QVariant& arg)
{
    switch (kind.unicode()) {
    case 'd': {
        bool ok = false;
        const qlonglong n = arg.toLongLong(&ok);
        return ok ? QString::number(n) : arg.toString();
    }
    case 'f':
        return QString::number(arg.toDouble(), 'f', 2);
    default:
        return arg.toString();
    }
}

} // namespace

int languageIndex()
{
    return currentLanguage;
}

void setLanguageIndex(int index)
{
    if (index != 0 && index != 1) {
        qWarning("StrList: language index %d ignored; only 0 (English) and 1 (Russian) exist", index);
        return;
    }
    currentLanguage = index;
}

QString Text(Str entry)
{
    return entryText(entry, currentLanguage);
}

QString formatText(const QString& format, const QVariantList& args)
{
    QString result;
    result.reserve(format.size() + 16);
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != u'%' || i + 1 == format.size()) {
            result += c;
            continue;
        }
        const QChar kind = format.at(i + 1);
        if (kind == u'%') {
            result += u'%';
            ++i;
        } else if (kind == u'd' || kind == u's' || kind == u'f') {
            // A placeholder without its argument is left in the text, so a missing value shows where it belongs.
            if (next < args.size())
                result += placeholderText(kind, args.at(next++));
            else
                result += QStringView(format).mid(i, 2);
            ++i;
        } else {
            result += c; // a lone percent sign, as in "Other losses (%)"
        }
    }
    return result;
}

QString FormatText(Str entry, const QVariantList& args)
{
    return formatText(Text(entry), args);
}

QString hintShort(const QString& hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.left(bar);
}

QString hintLong(const QString& hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.mid(bar + 1);
}

QString messageText(const QString& text)
{
    QString result = text;
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    result.replace(u'\r', u'\n');
    return result;
}

QString withoutAccelerator(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != u'&') {
            result += text.at(i);
        } else if (i + 1 < text.size() && text.at(i + 1) == u'&') {
            result += u'&';
            ++i;
        }
    }
    return result;
}

const std::array<Str, LinkedTableCount>& linkedTableEntries()
{
    return linkedTables;
}

QStringList linkedTableNames()
{
    QStringList names;
    names.reserve(LinkedTableCount);
    for (Str entry : linkedTables)
        names << Text(entry);
    return names;
}
