// TMainForm: the program's one main window. A band container at the top holds
// the menu bar (a toolbar whose buttons drop down the menus), the command
// toolbar and the playlist list; the track list fills the middle, with the
// album art pane at its right when that is shown; a three-panel status bar
// with a hidden progress bar sits at the bottom. The window owns the settings and,
// while a database is loaded, the reader whose tracks the list rows point to.
#pragma once

#include <windows.h>

#include <exception>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/album_art_pane.h"
#include "app/commands.h"
#include "app/find_band.h"
#include "app/main_window_services.h"
#include "app/name_plan_cache.h"
#include "app/opened_player.h"
#include "app/overwriteprompt.h"
#include "app/playlist_chooser.h"
#include "app/preferences.h"
#include "app/track_list_columns.h"
#include "app/track_list_owner.h"
#include "app/track_list_view.h"
#include "core/itdbparser.h"
#include "win/handles.h"
#include "win/pixel_layout.h"
#include "win/reentrancy_guard.h"

class TMainForm final : public MainWindowServices, public TrackListOwner {
public:
    // Builds the window (hidden) from the stored settings. Throws what the
    // settings store throws; the window is then gone again.
    TMainForm();
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;
    ~TMainForm();  // destroys the window if it still exists

    // The single main window while one exists, else nullptr.
    static TMainForm* MainForm() { return instance_; }

    // The window's commands, one row each (mainform_commands.cpp), and the
    // pictures of the submenus that have one.
    static std::span<const Command> Commands();
    static std::span<const SubmenuImage> SubmenuImages();
    static const Command* FindCommand(int id);

    // Offers the welcome prompt on the first run, then shows the window.
    void Show(int showCommand);
    // Runs the command of a shortcut key in `message`, if it is one.
    bool TranslateShortcut(MSG& message);
    // Opens the player in the disk image at `path`, as File > Open Disk
    // Image does once the image is chosen.
    void OpenDiskImage(const std::wstring& path);

    HWND Handle() const override { return window_; }
    // The dots per inch of the monitor the window is on; every size in
    // pixels follows it.
    int Dpi() const { return dpi_; }
    HWND TrackList() const { return trackList_; }
    HWND StatusBar() const { return statusBar_; }
    HWND CoolBar() const { return coolBar_; }
    HWND ProgressBar() const { return progressBar_; }
    HWND PlaylistList() const { return playlists_->ComboBox(); }
    HWND AlbumArt() const { return albumArt_->Handle(); }
    HWND FindBox() const { return find_->Edit(); }
    HMENU MainMenu() const { return mainMenu_.get(); }
    HMENU PopupMenu() const { return popupMenu_.get(); }
    // The track list's rows, with the texts of the columns shown.
    TrackListView Rows() const override { return TrackListView(trackList_, columns_->Shown()); }
    std::span<const TrackColumnId> ShownColumns() const override { return columns_->Shown(); }
    // The words of the find box, as applied to the rows shown.
    const TrackFind& FindWords() const override { return find_->Find(); }

    // Shows the tracks of the list chosen (every track read, or the playlist
    // labelled so) that the find box's words match.
    void ShowList(std::vector<const OneTrack*> tracks,
                  std::optional<std::u16string> playlistLabel) override;
    // Shows the rows of the chosen list that the find box's words match, and
    // tells so in the status bar: "Showing N of M tracks" while there are
    // words, else what the list is.
    void ShowFoundRows() override;

    // Services of the long operations (loading, extraction, the exports).
    void SetStatusText(const std::string& text) override;
    void SetStatusText(std::u16string_view text) override;
    void ShowReadyStatus() override;
    void SetItemStatus(std::u16string_view text) override;
    void SetProgress(int percent) override;
    void SetProgressPosition(int percent);  // 0..100, painted with the next messages
    void ShowProgress(bool visible) override;
    bool TargetExists(std::u16string_view path) const override;
    bool IsOnPlayerDrive(std::u16string_view path) const override;
    std::u16string GetExtractPath() const;
    // The settings store and dialog, and the overwrite prompt, of the window.
    TPreferencesForm& Settings() const { return *SettingsForm; }
    TOverwritePromptForm& OverwritePrompt() const { return *OverwriteForm; }
    SettingsValues SettingsView() const override { return SettingsForm->Values(); }
    void RememberExtractPath(const std::u16string& folder) override;
    void RememberMusicFolder(const std::u16string& folder) override;
    OverwriteAnswer AskOverwrite(std::u16string_view target) override;
    void ProcessMessages() override;
    win::ReentrancyGuard& BusyGuard() override { return busy_; }
    void ChangeWaitCursors(int change) override;
    const ITDBParser* Player() const override { return Parser.get(); }
    std::shared_ptr<const TrackNamePlan> NamePlan() override;
    const std::string& PlayerDrive() const override { return Drive; }

    bool IsBusy() const override { return busy_.Busy(); }
    // Esc during an operation asks it to stop after its current step.
    void RequestStop() override { busy_.RequestStop(); }
    bool StopRequested() const { return busy_.StopRequested(); }

    std::string Drive;                   // "F:" of the loaded device, or empty
    std::unique_ptr<ITDBParser> Parser;  // reader of the loaded database, or none

    // The database copy that the blank last toolbar button loads.
    static constexpr char TestLoadPath[] = "C:\\Trackhaul\\iTunesDB";

private:
    // What the View menu shows and hides.
    enum class Bar { MenuBar, Toolbar, StatusBar, AlbumArt };

    // "Trackhaul Ready", shown whenever an operation ends.
    static std::wstring ReadyText();

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Building the window and its bars (mainform_bars.cpp).
    void CreateComponents();
    void CreateCoolBar();
    void CreateMenuBar();
    void CreateCommandToolbar();
    void CreateTrackList();
    void CreateStatusBar();
    void FormCreate();
    void FormShow();
    void FormResize();
    void FormDestroy();
    void Layout();
    // Gives the bars, the list and the status bar the fonts, images and
    // sizes of the window's DPI (mainform_bars.cpp).
    void ScaleComponents();
    void ScaleFonts();
    void ScaleToolbars();
    void ScaleStatusBar();
    void PlaceProgressBar();
    // The window moved to a monitor of another DPI: it takes `suggested`
    // and everything is laid out as if it had started there.
    void FormDpiChanged(int dpi, const RECT& suggested);

    // The bars and the album art pane with their check marks, the menus and
    // the columns' minimum widths (mainform_bars.cpp).
    bool IsBarVisible(Bar bar) const;
    void SetBarVisible(Bar bar, bool visible);
    void ToggleBar(Bar bar);
    void DropDownMenu(int buttonId);
    bool DropDownMenuByKey(wchar_t key);
    void ShowContextMenu(LPARAM position);
    // The header's menu of extra columns; the choice is stored at once.
    void ChooseExtraColumns(LPARAM position);
    void StoreWindowBounds();

    // Commands (mainform_commands.cpp; the track list's in mainform_tracks.cpp).
    // Runs the command unless an operation under way holds it off, then
    // shows what the status bar shows between operations.
    void RunCommand(int id);
    void RunHandler(int id);
    static bool IsBlockedWhileBusy(int id);
    // The playlist list or the find box takes the keys (ID_VIEW_PLAYLIST,
    // ID_VIEW_FIND).
    void FocusBand(int id);
    // Panel 2 between operations: the photos of the player that is open,
    // "N photos", when it has any.
    void ShowIdleItemStatus();

    void ActionFileOpenExecute();
    void ActionFileOpenImageExecute();
    void ActionFileCloseExecute();
    void ActionFileExportExecute();
    void ActionFileExtractExecute();
    void ActionFileExitExecute();
    void ActionEditAllExecute();
    void ActionEditNoneExecute();
    void ActionEditInvertExecute();
    void ActionEditPreferencesExecute();
    void ActionViewMenuBarExecute();
    void ActionViewToolbarExecute();
    void ActionViewStatusBarExecute();
    void ActionViewAlbumArtExecute();
    void ActionSortTrackNumberExecute();
    void ActionSortTitleExecute();
    void ActionSortArtistExecute();
    void ActionSortAlbumExecute();
    void ActionSortLengthExecute();
    void ActionSortTrackTypeExecute();
    void ActionSortEncodingExecute();
    void ActionSortBitRateExecute();
    void ActionSortSampleRateExecute();
    void RunSortCommand(int id);
    void ActionHelpAboutExecute();
    void ToolButton14Click();
    void TrackListColumnClick(int column);

    // The track list and the database behind it.
    void ReleaseDatabase();
    // Reads the database at `path` among `files` (null: this machine's).
    void LoadDatabase(const std::string& path, bool testLoad,
                      std::shared_ptr<PlayerFiles> files = nullptr);
    void LoadPlayer(const OpenedPlayer& player);
    // Adds a row for each track read and returns how many were added.
    int32_t FillTrackList(int32_t trackCount);
    // The same, or -1 with nothing kept when memory runs out.
    int32_t FillTrackListKeepingMemory(int32_t trackCount);
    void SortTrackList(TrackColumnId column);
    // The picture of the focused row, for the album art pane.
    AlbumArtPane::Source FocusedPicture() const;

    bool UpdateCursor();

    inline static TMainForm* instance_ = nullptr;

    HWND window_ = nullptr;
    HWND coolBar_ = nullptr;
    HWND toolBar1_ = nullptr;  // the menu bar
    HWND toolBar2_ = nullptr;  // the command toolbar
    HWND trackList_ = nullptr;
    HWND statusBar_ = nullptr;
    HWND progressBar_ = nullptr;
    win::UniqueMenu mainMenu_;
    win::UniqueMenu popupMenu_;
    int dpi_ = win::StandardDpi;
    win::UniqueImageList imageList_;
    win::UniqueFont trackListFont_;
    win::UniqueFont messageFont_;  // of the bars
    win::UniqueIcon bigIcon_;
    win::UniqueIcon smallIcon_;
    win::UniqueAccelerators shortcuts_;
    std::unique_ptr<PlaylistChooser> playlists_;
    std::unique_ptr<AlbumArtPane> albumArt_;
    std::unique_ptr<FindBand> find_;
    // Declared after Parser: it ends before the tracks it plans are gone.
    NamePlanCache namePlans_;
    // The tracks of the list chosen, before the find narrows them, and its
    // label (none for every track read).
    std::vector<const OneTrack*> listed_;
    std::optional<std::u16string> listedPlaylist_;
    std::unique_ptr<TrackListColumns> columns_;
    std::unique_ptr<TPreferencesForm> SettingsForm;
    std::unique_ptr<TOverwritePromptForm> OverwriteForm;
    win::ReentrancyGuard busy_;
    int waitCursors_ = 0;
    std::exception_ptr creationError_;
    bool constructed_ = false;
    bool tearingDown_ = false;
};
