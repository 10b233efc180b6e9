#pragma once
// Which sound announces a notification: the user's new-mail sound, none, or
// the .wav file its folder names. A file that cannot be played gives way to
// the user's sound, said in the log once per file.
#include <set>
#include <string>

namespace pellumo {

struct TSoundToPlay {
    enum TKind { UserSound, Silence, File } Kind = UserSound;
    std::string Path;  // of a File, in the system's code page as the registry holds it
};

// Whether the file at Path opens and begins as a RIFF WAVE file, the one
// kind a sound file is played from; the rest would pass silently.
bool IsPlayableWaveFile(const std::string& path);

class TNewMailSounds {
public:
    // What a notification's folder Sound asks for (TFolderChoice::Sound).
    TSoundToPlay For(const std::string& folderSound);
    // How many files have fallen back (and been logged) so far.
    size_t FallBacksLogged() const { return reported_.size(); }

private:
    std::set<std::string> reported_;  // the files that fell back, logged once each
};

}  // namespace pellumo
