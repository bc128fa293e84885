#pragma once

#include <QString>
#include <QVariant>
#include <vector>

// What the crew list report prints for one crew, built once from plain rows before anything is
// shown. The crew's name runs down its column, two 12-character pieces per member, and the
// department stands on the first member's row only; a crew without members shows neither. The
// totals line counts the heads.
class CrewListContent {
public:
    static constexpr int PieceLength = 12;
    static constexpr int PiecesPerRow = 2;

    // A member as the crew-structure grid shows him.
    struct Member {
        QString profession;
        QString category;
        QString heads;
        QVariant headCount; // the number behind `heads`
        QString shifts;
        QString dayLength;
        QString nominalFund;
        QString holidayPercent;
        QString otherLossesPercent;
        QString lossesPercent;
        QString fundDays;
        QString fundHours;
    };
    struct Row {
        QString department;
        QString crewPieces; // two pieces, one per line
        Member member;
    };

    CrewListContent(const QString& crewName, const QString& departmentName, const std::vector<Member>& members);

    const std::vector<Row>& rows() const { return m_rows; }
    QString headCountTotal() const { return m_headCount; }

    // Piece `index` (0-based) of a crew's name; empty beyond its end.
    static QString namePiece(const QString& name, int index);

private:
    std::vector<Row> m_rows;
    QString m_headCount;
};
