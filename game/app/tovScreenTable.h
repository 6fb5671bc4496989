#pragma once
// Which screen each of the game's 25 ids gets: one row per id with the function that builds
// it. The application builds them in id order at start-up and owns them. A screen of a later
// part of the game changes its own row; no id appears twice.

#include <cstdint>
#include <memory>
#include <vector>

class qrxInterface;

class tovScreenTable
{
public:
    using Constructor = std::unique_ptr<qrxInterface> (*)();
    struct Row
    {
        int32_t id = 0;
        Constructor construct = nullptr;
    };
    static constexpr int32_t kFirstId = 1;
    static constexpr int32_t kLastId = 25;

    explicit tovScreenTable(std::vector<Row> rows) : m_rows(std::move(rows)) {}

    // The game's own table: every id from 1 to 25.
    static const tovScreenTable& Game();

    const std::vector<Row>& Rows() const { return m_rows; }
    // Null when the id has no row.
    Constructor Find(int32_t id) const;

private:
    std::vector<Row> m_rows;
};
