// TicketExaminationCache: what a filter read from a page's merged ticket,
// kept for the pages that print with the same ticket: the pages after it
// while the manager's PageTicketSerial stays (pages without a ticket of
// their own under the same document ticket, or pages carrying the same
// ticket part). Only results of examinations that succeeded are kept.
//
// Use, after ticketManager.OnPageTicket(page):
//     const Result* kept = cache.Find(ticketManager);
//     if (kept == nullptr) { examine the merged page ticket; kept = &cache.Keep(ticketManager, result); }
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "filtercore/print_ticket_manager.h"

template <class Result>
class TicketExaminationCache {
public:
    // The result kept for the page whose ticket the manager brought up to
    // date last, or null when it must be examined.
    const Result* Find(const PrintTicketManager& manager) const
    {
        return result_ && serial_ == manager.PageTicketSerial() ? &*result_ : nullptr;
    }

    // Keeps the result of examining that page's merged ticket (it replaces
    // the one kept before) and returns it.
    const Result& Keep(const PrintTicketManager& manager, Result result)
    {
        result_.reset();
        result_.emplace(std::move(result));
        serial_ = manager.PageTicketSerial();
        return *result_;
    }

    void Clear() { result_.reset(); }

private:
    std::optional<Result> result_;
    uint64_t serial_ = 0;
};
