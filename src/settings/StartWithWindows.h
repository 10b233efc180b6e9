#pragma once
// Whether Windows starts Pellumo when the user logs on: the value "Pellumo"
// under the current user's Run key, holding the program's quoted full path.
// The installer writes the same value. Not one of Pellumo's own settings:
// the value itself is the state.
namespace pellumo {

// Whether the value is there, whatever program it names.
bool StartsWithWindows();
// Writes the value for the running program, or removes it. Throws Exception
// when the key cannot be changed.
void SetStartWithWindows(bool start);

}  // namespace pellumo
