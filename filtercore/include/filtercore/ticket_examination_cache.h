// TicketExaminationCache: what a filter read from a page's merged ticket,
// kept for the pages that print with the same ticket. A page without a
// ticket of its own prints with a copy of its document's merged ticket, so
// the result examined for the first such page serves every later one until
// the manager's document ticket changes (PrintTicketManager::
// DocumentTicketSerial); a page with a ticket of its own is examined afresh.
// Only results of examinations that succeeded are kept.
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
        if (!result_ || !reusable_ || manager.PageTicketPresent()) return nullptr;
        return serial_ == manager.DocumentTicketSerial() ? &*result_ : nullptr;
    }

    // Keeps the result of examining that page's merged ticket (it replaces
    // the one kept before) and returns it; it serves later pages only when
    // this page had no ticket of its own.
    const Result& Keep(const PrintTicketManager& manager, Result result)
    {
        result_.reset();
        result_.emplace(std::move(result));
        reusable_ = !manager.PageTicketPresent();
        serial_ = manager.DocumentTicketSerial();
        return *result_;
    }

    void Clear() { result_.reset(); }

private:
    std::optional<Result> result_;
    bool reusable_ = false;
    uint64_t serial_ = 0;
};
