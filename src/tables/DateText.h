#pragma once

#include <QDate>
#include <QString>

// What a date typed into a masked editor stands for. Every date editor reads its text through here,
// so that the form fields, the grid cells and the date range dialog agree on what is a date, what is
// left blank and what must be refused (a day that does not exist, or a text typed only in part).
//
// The editors' masks give texts such as "31.02.2027", "31.02.____" or "31.02." (QLineEdit::text()
// drops the blanks of the mask); "dd.MM.yyyy" for the form and the grid, "dd.MM.yy" for the range
// dialog, whose two-digit years 00-49 are 2000-2049 and 50-99 are 1950-1999.
class DateText {
public:
    enum class Verdict {
        Blank,      // no digit typed: no date
        Date,       // a day that exists
        Incomplete, // some digits missing
        Impossible, // all digits there, but no such day (31.02, 29.02 of a common year, 00.00, 32.01)
    };

    struct Reading {
        Verdict verdict = Verdict::Blank;
        QDate date; // valid only for Verdict::Date
        bool refused() const { return verdict == Verdict::Incomplete || verdict == Verdict::Impossible; }
    };

    // "dd.MM.yyyy"
    static Reading read(const QString& text);
    // "dd.MM.yy"
    static Reading readShort(const QString& text);
    // A year of four digits (the plan's year box): Date with 1 January of it, else Blank or Incomplete
    // or Impossible (year 0000).
    static Reading readYear(const QString& text);

    // The message for a refused text: it names the text as typed and, when given, the field's caption.
    static QString refusal(const Reading& reading, const QString& text, const QString& caption = {});

private:
    static Reading readWith(const QString& text, int yearDigits);
};
