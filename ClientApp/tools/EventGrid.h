#pragma once

#include <span>
#include <string>
#include <vector>

namespace karvola {

// The betting manager's grid without its widget. Rows are numbered as the
// window shows them: row 0 is the fixed header, the bets start at row 1, and
// the grid always ends with one blank row, into which the next bet is written.
class EventGrid final {
public:
    struct row_t {
        std::string event;
        std::string odds;  // as typed
        std::string stake;
    };

    static constexpr int kFirstDataRow = 1;

    EventGrid();

    // Every row, the header and the blank last row included.
    [[nodiscard]] int rowCount() const { return static_cast<int>(m_rows.size()) + kFirstDataRow; }
    [[nodiscard]] int blankRow() const { return rowCount() - 1; }
    // The bets, rows 1 to blankRow() - 1.
    [[nodiscard]] std::span<const row_t> bets() const { return {m_rows.data(), m_rows.size() - 1}; }

    // Writes the bet into the blank row and adds a new blank row after it.
    void add(std::string event, std::string odds);
    // Back to the header and one blank row.
    void clear();
    // Deletes the selected block of rows, top to bottom. All the bets, with or
    // without the blank row, clear the grid; the blank row itself stays; a
    // selection outside the grid changes nothing.
    void deleteRows(int top, int bottom);
    // Start's texts, one for each bet in row order.
    void setStakes(std::span<const std::string> stakes);

private:
    std::vector<row_t> m_rows;  // from row 1 on; the last one is the blank row
};

}  // namespace karvola
