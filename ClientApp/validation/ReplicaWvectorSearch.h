#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>

#include "analysis/WvectorSearch.h"

namespace karvola {

// The best score of opt's search on the same odds with other results, for many
// sets of results at a time. Which bets a candidate vector takes depends on the
// odds alone, so what the grid's 931,728 candidates bet on is worked out once
// and shared by every set of results; each set only adds up its own wins.
//
// The score is the one FastWvectorSearch would reach on the range with those
// results (0 when it accepts no candidate), bit for bit: the shared pass gives
// every candidate's score within a proven margin, and only the candidates whose
// margin reaches the best so far are evaluated exactly, best first.
class ReplicaWvectorSearch final {
public:
    // How many sets of results one pass takes.
    static constexpr std::size_t kLanes = 7;

    // What every thread reads: the odds prepared once.
    struct Tables;

    // What one thread works in, kept from one call to the next; one per thread.
    class Workspace final {
    public:
        explicit Workspace(const ReplicaWvectorSearch& search);
        ~Workspace();
        Workspace(const Workspace&) = delete;
        Workspace& operator=(const Workspace&) = delete;

        struct Buffers;
        [[nodiscard]] Buffers& buffers() { return *m_buffers; }

    private:
        std::unique_ptr<Buffers> m_buffers;
    };

    // Prepares the odds of the range; the input's records must outlive the search.
    explicit ReplicaWvectorSearch(const SearchInput& input);
    ~ReplicaWvectorSearch();
    ReplicaWvectorSearch(const ReplicaWvectorSearch&) = delete;
    ReplicaWvectorSearch& operator=(const ReplicaWvectorSearch&) = delete;

    // The best scores for up to kLanes sets of results, one result character per
    // record of the range. Safe to call from several threads, each with its own workspace.
    void bestScores(std::span<const std::string> results, std::span<float> scores, Workspace& workspace) const;

private:
    std::unique_ptr<const Tables> m_tables;
};

}  // namespace karvola
