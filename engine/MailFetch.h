// CMailFetch: the per-mail commands of one check, issued as this connection allows, each
// selected message turned into a new record in the account's list.
//
// Contract:
// - Made after the selection; Prepare, then Fetch(number) for the selected numbers in
//   selection order, then Finish. With nothing selected nothing is sent.
// - Ids: the server's UIDL. With Pipelining 0, UIDL n of each mail (one at a time: TOP n,
//   LIST n, UIDL n, each after the reply before it); otherwise the UIDL listing (the one a
//   new-only selection was read from). A server that answers UIDL with -ERR has no ids:
//   the mail's X-UIDL header stands in (normal mode; a new-only check has failed by then).
// - Sizes: LIST n with Pipelining 0, else the LIST listing (LIST n of each mail where the
//   listing is refused with -ERR).
// - With Pipelining 1 and a server listing PIPELINING (one CAPA per connection), the TOPs
//   (and LIST n) go out ahead of their replies, followed by STAT, whose reply must be the
//   session's STAT reply byte for byte: a reply lost, doubled or added anywhere in the run
//   shifts it.
// - Every reply is read by what it states: a listing or per-mail reply that is malformed,
//   names another number, misses a message or lists an id twice, a TOP reply that carries
//   another reply's status line in front of it, the same id for two mails, or a STAT that
//   differs: the connection is closed and the code is POP3_ERROR (the caller reports).
// - New-only mode: a new mail whose X-UIDL header names a record no listed id claimed is
//   that record (CAccount::AdoptFormerRecord); no new record is made for it.
// - Fetch returns POP3_OK with the record appended, POP3_CANCELLED on a cancel, another
//   code on a failure (a record that cannot be made: POP3_ERROR).
#pragma once

#include "engine/Account.h"
#include "engine/CommandRun.h"
#include "engine/ServerListing.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tolvane {

class CMailFetch {
public:
    // uids: the listing a new-only selection was read from, or nullptr. stat: the session's
    // STAT reply.
    CMailFetch(CAccount& account, const std::vector<unsigned>& selection, const ServerListing* uids,
               std::string stat);
    int Prepare();
    int Fetch(unsigned number);
    int Finish();

private:
    // A listing sent now: POP3_OK with it parsed, POP3_NEGATIVE when refused, else the
    // failure (a listing that cannot be read closes the connection).
    int ReadListing(const char* command, ListingKind kind, ServerListing& listing);
    int ReadSize(unsigned number, std::string& size);
    int ReadUid(unsigned number, const CMail& mail, std::string& uid);
    void Queue(unsigned number);

    CAccount& m_account;
    std::vector<unsigned> m_selected; // the numbers to fetch, in order
    const ServerListing* m_pUids;
    std::string m_strStat;
    std::optional<CCommandRun> m_run; // made by Prepare, once it is known how to send
    bool m_bOneAtATime;
    bool m_bServerUids = true; // false: the server answered UIDL with -ERR
    ServerListing m_ownUids;   // the UIDL listing read here (normal mode)
    ServerListing m_sizes;
    bool m_bListedSizes = false;
    std::set<std::string> m_seenUids; // ids of this session read one at a time
};

} // namespace tolvane
