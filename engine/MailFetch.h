// CMailFetch: the per-mail commands of one check (TOP n, LIST n, UIDL n), issued as this
// connection allows, each selected message turned into a new record in the account's list.
//
// Contract:
// - Made after the selection, before the first message is fetched. With nothing to fetch
//   it sends nothing. Otherwise, with the account's Pipelining at 1, it learns whether the
//   server pipelines (CAccount::PipelinesRun, one CAPA per connection):
//   - pipelined: TOP n, LIST n and UIDL n of every selected message, in selection order,
//     go out ahead of their replies (CCommandRun's windows). UIDL n is sent for a mail
//     with an X-UIDL header too, because that is known only from its TOP reply; its reply
//     is then read and not used;
//   - not pipelined: one UIDL and one LIST listing replace the UIDL n and LIST n of each
//     mail (the UIDL listing of a new-only selection is used again); a listing that fails
//     or does not number messages 1 ... count in order is not used, and its per-mail
//     commands are sent instead.
//   With Pipelining 0 the dialogue is the one-at-a-time one: TOP n, LIST n and (without
//   X-UIDL) UIDL n per mail, each after the reply before it.
// - Fetch(number) must be called for the selected numbers in selection order. It appends
//   the record (the records of every mode are equal) and returns POP3_OK; POP3_CANCELLED
//   on a cancel, another non-zero code on a failure (a record that cannot be made counts
//   as POP3_ERROR); the record of a failed message is not kept. A UIDL n refused with
//   -ERR leaves the id empty. The code of the unused UIDL n of an X-UIDL mail is not
//   looked at: a cancel or a broken line meets the next command, as one at a time.
#pragma once

#include "engine/Account.h"
#include "engine/CommandRun.h"

#include <string>
#include <vector>

namespace tolvane {

class CMailFetch {
public:
    // uidListing: the UIDL listing the selection was read from ("" when none).
    CMailFetch(CAccount& account, const std::vector<unsigned>& selection,
               const std::string& uidListing);
    int Fetch(unsigned number);

private:
    // The per-mail lines of a listing sent now (count: the selection's size); empty when it
    // cannot stand in.
    std::vector<std::string> Listing(const char* command, unsigned count);
    // "+OK " + the listing's line: the reply the per-mail command would have given.
    static std::string ListedReply(const std::vector<std::string>& lines, unsigned number);

    CAccount& m_account;
    CCommandRun m_run;
    std::vector<std::string> m_uidLines;  // UIDL listing lines, when used
    std::vector<std::string> m_sizeLines; // LIST listing lines, when used
};

} // namespace tolvane
