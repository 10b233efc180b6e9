#include "app/MailScan.h"

#include "platform/AsciiText.h"
#include "content/CharsetConverter.h"
#include "content/MessagePreview.h"
#include "platform/FileSystem.h"
#include "platform/Log.h"
#include "store/DbxFormat.h"
#include "store/DbxMessageFolder.h"
#include "store/DbxMessageStream.h"
#include "store/DbxRecordSummary.h"

namespace pellumo {

// The reading stops once the preview is settled as far as a popup shows it.
static_assert(TNotificationQueue::kMaxBodyBytes <= kLongestPreviewBytes, "a popup would show more than is settled");

bool FolderChanged(TFolderInfo& info) {
    // Which folders are read is the watched list's to say (any kind the
    // user ticked), not the folder's kind.
    if (!info.Record) return false;
    const TFileStamp stamp = FileStamp(info.Record->FileName);
    if (stamp == info.LastAge) return false;
    info.LastAge = stamp;
    return true;
}

TMailPriority MapPriority(int32_t priority) {
    switch (priority) {
    case 1: return mpHigh;
    case 5: return mpLow;
    default: return mpNormal;
    }
}

std::vector<TSkippedFolder> TMailScan::ScanFolders(bool baseline) {
    std::vector<TSkippedFolder> skipped;
    TDbxMessageFolder reader;
    const size_t count = folders_.size();
    for (size_t i = 0; i < count && !Queue.Closed(); ++i) {
        TFolderInfo& info = *folders_[i].Info;
        if (!FolderChanged(info)) continue;
        if (info.LastAge.Age == -1) {
            info.Unread = 0;  // no file (yet): nothing waits in it
            continue;
        }
        try {
            ScanFolder(folders_[i], baseline, reader, skipped);
        } catch (const std::exception& error) {
            // What was queued stays queued and seen; the rest of this folder
            // is read at the next scan, whatever its stamp says.
            reader.Close();
            info.LastAge = TFileStamp();
            LogLine("Reading " + info.Record->FileName + " failed: " + error.what() + "; read again at the next scan");
        }
    }
    return skipped;
}

void TMailScan::ScanFolder(const TFolderListEntry& entry, bool baseline, TDbxMessageFolder& reader,
                           std::vector<TSkippedFolder>& skipped) {
    TFolderInfo& info = *entry.Info;
    try {
        reader.Open(std::unique_ptr<TStream>(new TFileStream(info.Record->FileName)));
    } catch (const Exception& error) {
        reader.Close();
        skipped.push_back({info.Record->FileName, error.UserMessage()});
        return;  // its stamp is set: read again when the file changes again
    }
    const bool recordOnly = baseline || info.Baseline;
    bool unfinished = false;
    // What the file holds of what was seen, and what is seen now: the seen
    // list keeps no others once the walk has found as many records as the
    // header counts (a file caught half written may hide some for a while).
    const uint32_t itemCount = reader.ItemCount();
    const std::vector<uint32_t> positions = reader.RecordPositions();
    const std::vector<TRecordSummary> summaries = ReadRecordSummaries(*reader.Stream(), positions);
    TSeenIds::TFolderSet& seen = SeenIds.Of(entry.FolderId);
    TSeenIds::TFolderSet stillSeen;
    stillSeen.Reserve(positions.size());
    // Of the messages to announce, those that will not be shown on their
    // own are read for their sender and subject only: the queue keeps no
    // body past what it holds with one, and the recent list keeps the last
    // few of the scan.
    size_t toAnnounce = 0;
    if (!recordOnly)
        for (const TRecordSummary& summary : summaries)
            if (summary.Loaded && !summary.IsRead() && !seen.Contains(summary.Id)) ++toAnnounce;
    size_t records = 0, unread = 0;
    for (size_t i = 0; i < positions.size(); ++i) {
        if (Queue.Closed()) return;
        const TRecordSummary& summary = summaries[i];
        if (!summary.Loaded) continue;
        ++records;
        if (!summary.IsRead()) ++unread;
        if (recordOnly || seen.Contains(summary.Id)) {
            stillSeen.Insert(summary.Id);
        } else if (!summary.IsRead()) {
            const bool previewShown =
                Queue.Count() < TNotificationQueue::kMaxWaitingWithBody || toAnnounce <= TRecentMail::kLimit;
            if (toAnnounce > 0) --toAnnounce;
            TDbxMessageRecord msg;
            if (!msg.Load(*reader.Stream(), positions[i])) continue;
            TMessageText text;
            if (!ReadMessageText(reader, msg, previewShown, text)) {
                unfinished = true;
                continue;
            }
            QueueNotification(msg, entry, text);
            // Seen only once queued, and at once: an error further on must
            // not have it announced again.
            seen.Insert(summary.Id);
            stillSeen.Insert(summary.Id);
            if (ShowNextNotification) ShowNextNotification();
        }
    }
    reader.Close();
    info.Unread = unread;
    if (records == itemCount)
        SeenIds.Replace(entry.FolderId, std::move(stillSeen));
    else if (recordOnly)
        seen.InsertAll(stillSeen);
    info.Baseline = false;
    // The write that finishes the message may leave the file's stamp as
    // it is (a coarse clock, the same size): read the folder again at the
    // next change, whatever its stamp says.
    if (unfinished) info.LastAge = TFileStamp();
}

bool TMailScan::ReadMessageText(TDbxMessageFolder& reader, const TDbxMessageRecord& msg, bool previewShown,
                                TMessageText& text) {
    // Only the headers are kept (an IMAP or HTTP account's message not
    // opened yet): the index knows who and what; nothing is to wait for.
    if (msg.BodyPos == 0) {
        text.Body = NotDownloadedBody();
        return true;
    }
    // One message that cannot be read, parsed or converted must not silence
    // the rest: it is announced all the same, with what the index knows.
    try {
        // Read from the block chain only as far as the preview, the sender
        // and the subject need. A chain that breaks off in what that reading
        // took is a message not all written yet; past where it stopped, the
        // chain is not looked at: nothing there could change what is shown.
        TDbxMessageStream chain(*reader.Stream(), msg.BodyPos);
        MimeMessage.reset(new TMimeMessage);
        try {
            if (previewShown)
                ReadPreviewFromStream(*MimeMessage, chain, text.Body);
            else
                ReadNamesFromStream(*MimeMessage, chain);
        } catch (const std::exception&) {
            if (!chain.Whole()) return false;
            throw;
        }
        if (!chain.Whole()) return false;
        text.Names = MessageNames(*MimeMessage);
    } catch (const std::exception& error) {
        LogLine("Message " + msg.Id + " could not be read: " + error.what());
        text.Body.clear();
    }
    return true;
}

void TMailScan::QueueNotification(const TDbxMessageRecord& msg, const TFolderListEntry& folder,
                                  const TMessageText& text) {
    if (HoldBack && HoldBack()) return;
    std::unique_ptr<TNotification> info(new TNotification);
    info->Folder = SystemTextToUtf8(folder.Info->Record->Name);
    info->FolderId = folder.FolderId;
    info->Color = folder.Info->Color;
    info->Sound = folder.Info->Sound;
    info->Sender = text.Names.Sender.empty() ? SystemTextToUtf8(msg.SenderName) : text.Names.Sender;
    info->Subject = text.Names.Subject.empty() ? SystemTextToUtf8(msg.Subject) : text.Names.Subject;
    // The index keeps the address apart, or with the name as a From value.
    info->SenderAddress = !text.Names.Address.empty() ? text.Names.Address
                        : !msg.SenderAddress.empty()  ? SystemTextToUtf8(msg.SenderAddress)
                                                      : SystemTextToUtf8(AddressOfFromValue(msg.SenderNameAndAddress));
    info->Body = text.Body;
    info->Priority = MapPriority(msg.Priority);
    // Cut once, before the recent list takes its copy.
    CutToWhatAPopupShows(*info);
    const TRuleMatch rule = RuleFor(*info);
    if (rule.List == TRuleList::Never) return;
    if (rule.List == TRuleList::Always) {
        info->Always = true;
        LogLine("Announced first: " + RuleName(rule));
    }
    Recent.Add(*info);
    Queue.Add(std::move(info));
}

void TMailScan::UseRules(const std::vector<std::string>& never, const std::vector<std::string>& always) {
    if (never == neverLines_ && always == alwaysLines_) return;
    neverLines_ = never;
    alwaysLines_ = always;
    rules_ = ParseAnnounceRules(never, always);
    LogIgnoredRules(rules_);
    // Mail waiting to be told (through a pause, say) that the user has just
    // said never to announce is not told after all.
    Queue.RemoveIf([this](const TNotification& info) { return !info.Always && RuleFor(info).List == TRuleList::Never; });
}

TRuleMatch TMailScan::RuleFor(const TNotification& info) {
    const TRuleMatch rule = MatchAnnounceRules(rules_, info.SenderAddress, info.Subject);
    if (rule.List == TRuleList::Never) {
        // By the rule alone: what mail comes is nobody's business in a log.
        LogLine("Not announced: " + RuleName(rule));
        if (NotAnnounced) NotAnnounced(info, rule);
    }
    return rule;
}

}  // namespace pellumo
