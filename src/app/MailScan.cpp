#include "app/MailScan.h"

#include <algorithm>
#include <cctype>

#include "content/CharsetConverter.h"
#include "platform/FileSystem.h"
#include "platform/Log.h"
#include "store/DbxMessageFolder.h"

namespace pellumo {

namespace {
bool LessNoCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) < std::toupper(static_cast<unsigned char>(y));
    });
}
}  // namespace

bool TSeenIds::Contains(const std::string& id) const {
    return std::binary_search(ids_.begin(), ids_.end(), id, LessNoCase);
}

void TSeenIds::Add(const std::string& id) {
    const auto at = std::lower_bound(ids_.begin(), ids_.end(), id, LessNoCase);
    if (at == ids_.end() || LessNoCase(id, *at)) ids_.insert(at, id);
}

std::string SeenKey(const std::string& folderId, const std::string& messageId) {
    return folderId + "/" + messageId;
}

bool FolderChanged(TFolderInfo& info) {
    if (!info.Record || info.Record->Kind >= 2) return false;
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
    TMemoryStream buffer;
    const size_t count = folders_.size();
    for (size_t i = 0; i < count; ++i) {
        TFolderInfo& info = *folders_[i].Info;
        if (!FolderChanged(info) || info.LastAge.Age == -1) continue;
        try {
            reader.Open(std::unique_ptr<TStream>(new TFileStream(info.Record->FileName)));
        } catch (const Exception& error) {
            reader.Close();
            skipped.push_back({info.Record->FileName, error.Message()});
            continue;  // its stamp is set: read again when the file changes again
        }
        const bool recordOnly = baseline || info.Baseline;
        bool unfinished = false;
        for (reader.First(); !reader.Eof(); reader.Next()) {
            if (Queue.Closed()) return skipped;
            const TDbxMessageRecord& msg = *reader.Current();
            const std::string key = SeenKey(folders_[i].FolderId, msg.Id);
            if (recordOnly) {
                SeenIds.Add(key);
            } else if (!msg.IsRead() && !SeenIds.Contains(key)) {
                TMessageText text;
                if (!ReadMessageText(reader, msg, buffer, text)) {
                    unfinished = true;
                    continue;
                }
                SeenIds.Add(key);
                QueueNotification(msg, info.Record->Name, text);
            }
        }
        reader.Close();
        info.Baseline = false;
        // The write that finishes the message may leave the file's stamp as
        // it is (a coarse clock, the same size): read the folder again at the
        // next change, whatever its stamp says.
        if (unfinished) info.LastAge = TFileStamp();
    }
    return skipped;
}

bool TMailScan::ReadMessageText(TDbxMessageFolder& reader, const TDbxMessageRecord& msg, TMemoryStream& buffer,
                                TMessageText& text) {
    // One message that cannot be read, parsed or converted must not silence
    // the rest: it is announced all the same, with what the index knows.
    try {
        buffer.Clear();
        bool complete = true;
        reader.ReadMessage(msg.BodyPos, buffer, &complete);
        if (!complete) return false;
        buffer.Seek(0);
        MimeMessage.reset(new TMimeMessage);
        ReadFromStream(*MimeMessage, buffer);
        text.Names = MessageNames(*MimeMessage);
        text.Body = BodyPreview(*MimeMessage);
    } catch (const std::exception& error) {
        LogLine("Message " + msg.Id + " could not be read: " + error.what());
        text.Body.clear();
    }
    return true;
}

void TMailScan::QueueNotification(const TDbxMessageRecord& msg, const std::string& folder,
                                  const TMessageText& text) {
    if (HoldBack && HoldBack()) return;
    std::unique_ptr<TNotification> info(new TNotification);
    info->Folder = SystemTextToUtf8(folder);
    info->Sender = text.Names.Sender.empty() ? SystemTextToUtf8(msg.SenderName) : text.Names.Sender;
    info->Subject = text.Names.Subject.empty() ? SystemTextToUtf8(msg.Subject) : text.Names.Subject;
    info->Body = text.Body;
    info->Priority = MapPriority(msg.Priority);
    Queue.Add(std::move(info));
    if (ShowNextNotification) ShowNextNotification();
}

}  // namespace pellumo
