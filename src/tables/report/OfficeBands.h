#pragma once

#include "tables/report/ReportDocument.h"

#include <QDate>
#include <QStringList>

// The frame of an office document that every report shares: its title with a few lines under it
// (department, crew) at the top of the first page, and at the foot of every page the print date
// and "Page N of M".
namespace OfficeBands {

ReportBand title(double width, const QString& title, const QStringList& lines = {});
ReportBand footer(double width, const QDate& printed);

// "Department: name" style line; empty when `value` is.
QString labelled(const QString& label, const QString& value);

} // namespace OfficeBands
