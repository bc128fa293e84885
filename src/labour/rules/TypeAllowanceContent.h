#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <array>
#include <optional>
#include <vector>

// What the device type time allowance report prints for one crew, built once from plain rows before
// anything is shown: one block per device type (its number, name, model and count; per shown
// service its rate time above its repetition; per shown category line the category's grade and its
// hours in each service, and the line's total), and the totals of every category line over all
// types.
//
// At most four services and six categories are shown. When the crew has more, the user chooses
// (choose()); a cancelled choice takes the first ones, a confirmed empty choice shows none.
class TypeAllowanceContent {
public:
    static constexpr int MaxServices = 4;
    static constexpr int MaxCategories = 6;

    // An entry the user can choose: a service or a category, with its key.
    struct Choice {
        qint64 key = 0;
        QString text;
    };
    // A row of the crew's service list: the service of a service row (null when none is chosen).
    struct ServiceListRow {
        QVariant id;
        QString name;
    };
    struct Category {
        qint64 id = 0;
        QString name;
        QString grade; // as the grids show it
    };
    struct Type {
        qint64 id = 0;
        QString recN;
        QString name;
        QString mark;
        QString count;
    };
    // A service row of the crew, with the display texts of its figures.
    struct ServiceRow {
        qint64 id = 0;
        qint64 typeId = 0;
        QVariant serviceId;
        QString rateTime;
        QString repetition;
    };
    struct Share {
        qint64 serviceRowId = 0;
        QVariant categoryId;
        QVariant value;
    };

    struct Slot {
        QString rateTime;
        QString repetition;
    };
    struct Line {
        QString grade;
        std::array<QString, MaxServices> hours;
        QString total;
    };
    struct TypeBlock {
        Type type;
        std::array<Slot, MaxServices> serviceSlots;
        std::vector<Line> lines; // one per category shown
    };

    // The services that can be offered: the list's rows that name a service. A service row whose
    // service is not chosen yet has nothing to print under it.
    static std::vector<Choice> offeredServices(const std::vector<ServiceListRow>& rows);
    static std::vector<Choice> offeredCategories(const std::vector<Category>& categories);
    // What is shown out of `offered`: all of them up to `max`; beyond that, the user's choice
    // (`answer`, in the order chosen, at most `max`), or the first `max` when he cancelled
    // (no answer).
    static std::vector<Choice> shown(const std::vector<Choice>& offered, int max,
                                     const std::optional<std::vector<Choice>>& answer);
    static bool needsChoice(const std::vector<Choice>& offered, int max) { return int(offered.size()) > max; }

    // The types worth a block: those with devices counted, or with a service row of one of the
    // `services` shown. A crew lists every type of the plant, most of them with nothing to print;
    // the blocks kept are numbered again from 1, so that the printout counts its own lines.
    static std::vector<Type> typesWithFigures(const std::vector<Type>& types, const std::vector<Choice>& services,
                                              const std::vector<ServiceRow>& serviceRows);

    // Builds the content. `types` in the order they print; `serviceRows` in the order the grid
    // lists a type's service rows (the first row of a service is the one shown); `shares` in the
    // order the grid lists a service row's shares.
    TypeAllowanceContent(const std::vector<Choice>& services, const std::vector<Choice>& categories,
                         const std::vector<Category>& allCategories, const std::vector<Type>& types,
                         const std::vector<ServiceRow>& serviceRows, const std::vector<Share>& shares);

    // Titles of the four service serviceSlots; empty for a slot without a service.
    const std::array<QString, MaxServices>& serviceTitles() const { return m_titles; }
    int serviceCount() const { return m_serviceCount; }
    int categoryCount() const { return int(m_grades.size()); }
    const std::vector<TypeBlock>& types() const { return m_types; }
    // The category lines summed over all types.
    const std::vector<Line>& totals() const { return m_totals; }

    // A line's total as printed: two decimals, empty when it is 0.
    static QString totalText(double sum);

private:
    std::array<QString, MaxServices> m_titles;
    int m_serviceCount = 0;
    std::vector<QString> m_grades;
    std::vector<TypeBlock> m_types;
    std::vector<Line> m_totals;
};
