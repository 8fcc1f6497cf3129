// PrintTicketManager: the merged job, document and page tickets of the part a
// filter is processing. Every filter object owns exactly one.
#pragma once

// Empty until the ticket merging arrives; the filter bases already own one.
class PrintTicketManager {};
