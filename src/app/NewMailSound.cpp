#include "app/NewMailSound.h"

#include <cstring>
#include <exception>

#include "platform/Log.h"
#include "platform/Stream.h"
#include "store/WatchedFolders.h"

namespace pellumo {

bool IsPlayableWaveFile(const std::string& path) {
    try {
        TFileStream file(path);
        char header[12] = {};
        return file.Read(header, sizeof header) == sizeof header && std::memcmp(header, "RIFF", 4) == 0 &&
               std::memcmp(header + 8, "WAVE", 4) == 0;
    } catch (const std::exception&) {
        return false;  // missing or locked: the caller falls back and says so
    }
}

TSoundToPlay TNewMailSounds::For(const std::string& folderSound) {
    TSoundToPlay sound;
    if (folderSound.empty()) return sound;
    if (folderSound == kNoSound) {
        sound.Kind = TSoundToPlay::Silence;
        return sound;
    }
    if (IsPlayableWaveFile(folderSound)) {
        sound.Kind = TSoundToPlay::File;
        sound.Path = folderSound;
        return sound;
    }
    // A folder's mail keeps sounding when its file went away; once is enough to say why.
    if (reported_.insert(folderSound).second)
        LogLine("The sound file '" + folderSound + "' cannot be played; the default new-mail sound plays instead");
    return sound;
}

}  // namespace pellumo
