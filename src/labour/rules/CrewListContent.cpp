#include "labour/rules/CrewListContent.h"

#include "data/Field.h"

#include <cmath>

QString CrewListContent::namePiece(const QString& name, int index)
{
    return name.mid(qsizetype(index) * PieceLength, PieceLength);
}

CrewListContent::CrewListContent(const QString& crewName, const QString& departmentName,
                                 const std::vector<Member>& members)
{
    double heads = 0;
    for (size_t i = 0; i < members.size(); ++i) {
        Row row;
        row.member = members[i];
        row.department = i == 0 ? departmentName : QString();
        QStringList pieces;
        for (int p = 0; p < PiecesPerRow; ++p)
            pieces.append(namePiece(crewName, int(i) * PiecesPerRow + p));
        while (!pieces.isEmpty() && pieces.last().isEmpty())
            pieces.removeLast();
        row.crewPieces = pieces.join(QLatin1Char('\n'));
        heads += members[i].headCount.toDouble();
        m_rows.push_back(row);
    }
    m_headCount = Field::formatValue(QVariant(std::round(heads * 1e6) / 1e6));
}
