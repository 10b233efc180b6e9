// The setup dialog's "Folders" page: the folder pane (the tree, and the
// selected folder's colour and sound), whose choices OK writes apart: they
// are the identity's, not values of the settings.
#include <windows.h>

#include <memory>

#include "settings/FolderPane_win.h"
#include "settings/SetupDialog.h"
#include "settings/SetupPages_win.h"

namespace pellumo {

namespace {

using Setup = TSetupDialog;

RECT ToRECT(const TRect& r) { return RECT {r.Left, r.Top, r.Right, r.Bottom}; }

class TFoldersPage : public TSetupPage {
public:
    TFoldersPage(const TSetupControls& controls, const TNotifierSettings& settings, const TFolderChoices& found) {
        auto place = [&](int id) { return ToRECT(controls.At(id)); };
        pane_.reset(new TFolderPane(controls.Dialog(), controls.Font(),
                                    {place(Setup::idFoldersGroup), place(Setup::idFolderTree),
                                     place(Setup::idFolderColorLabel), place(Setup::idFolderColor),
                                     place(Setup::idFolderSoundLabel), place(Setup::idFolderSound)},
                                    settings.FolderTree.get(), found, settings.BeginColor));
    }

    // The pane was filled on creation.
    void Fill(const TNotifierSettings&) override {}
    void Read(TUserSettings&) const override {}
    bool Message(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        return pane_->ParentMessage(message, wParam, lParam, result);
    }

    TFolderPane* Pane() const { return pane_.get(); }

private:
    std::unique_ptr<TFolderPane> pane_;
};

}  // namespace

std::unique_ptr<TSetupPage> MakeFoldersPage(const TSetupControls& controls, const TNotifierSettings& settings,
                                            const TFolderChoices& found, TFolderPane*& pane) {
    std::unique_ptr<TFoldersPage> page(new TFoldersPage(controls, settings, found));
    pane = page->Pane();
    return page;
}

}  // namespace pellumo
