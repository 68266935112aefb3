#pragma once

#include <functional>

class QAbstractItemModel;
class QAction;
class QFrame;
class QLabel;
class QMainWindow;
class QMenu;
class QToolButton;
class QTreeView;
class TStatusBar;

// The main window's components, named as in its design: the button bar, the
// list, the status bar and the menus. build() makes them on a window with
// their captions, hints, shortcuts and first check marks, each with its
// design name as its object name; it connects nothing, the window wires each
// to its handler. The separators, the bevels and the play-mode group are
// named children of the window and have no field here.
struct Form1Widgets {
    QFrame *Panel1 = nullptr;
    QToolButton *SBOpen = nullptr, *SBSave = nullptr;
    QToolButton *SBAdd = nullptr, *SBDelete = nullptr, *SBUp = nullptr, *SBDown = nullptr;
    QToolButton *SBPlay = nullptr, *SBPause = nullptr, *SBStop = nullptr, *SBBack = nullptr,
                *SBReturn = nullptr, *SBSkip = nullptr, *SBNext = nullptr;
    QLabel *Label1 = nullptr;
    QTreeView *ListView1 = nullptr;
    TStatusBar *StatusBar1 = nullptr;

    // Main menu MainMenu1
    QMenu *MMFile = nullptr;
    QAction *MMAdd = nullptr, *MMDelete = nullptr, *MMDelete2 = nullptr, *MMOpen = nullptr,
            *MMReload = nullptr, *MMSave = nullptr, *MMClear = nullptr, *MMExit = nullptr;
    QMenu *MMEdit = nullptr;
    QAction *MMUp = nullptr, *MMDown = nullptr, *MMUp2 = nullptr, *MMDown2 = nullptr,
            *MMHEADSort = nullptr, *MMFileNameSort = nullptr, *MMRandomSort = nullptr,
            *MMExistsDelete = nullptr, *MMWFileDelete = nullptr, *MMDataEdit = nullptr;
    QMenu *MMSetting = nullptr;
    QMenu *MMPlayMode = nullptr;
    QAction *MMListPlay = nullptr, *MMSinglePlay = nullptr, *MMRandomPlay = nullptr,
            *MMStayOnTop = nullptr, *MMCompactMode = nullptr, *MMDataView = nullptr,
            *MMRepeat = nullptr, *MMPlayMinimize = nullptr, *MMCloseSonaro = nullptr,
            *MMListOpen = nullptr, *MMSaveList = nullptr, *MMTaskTray = nullptr,
            *MMLzhHEAD = nullptr;
    QMenu *MMSubWindow = nullptr;
    QAction *MMSWMember = nullptr, *MMSWFinger = nullptr, *MMSWScore = nullptr,
            *MMSonaroPath = nullptr, *MMEditorPath = nullptr, *MMmid2snrPath = nullptr,
            *MMVolume = nullptr;
    QMenu *MMHelp = nullptr;
    QAction *Contents1 = nullptr, *About1 = nullptr;
    // The hidden "操作(&C)" menu: never in the menu bar, its items carry shortcuts only.
    QMenu *N1 = nullptr;
    QAction *N2 = nullptr, *N3 = nullptr, *N7 = nullptr, *N8 = nullptr;

    // The list's pop-up menu
    QMenu *PopupMenu1 = nullptr;
    QAction *PMPlay = nullptr, *PMPlay2 = nullptr, *PMUp = nullptr, *PMDown = nullptr,
            *PMInsert = nullptr, *PMDelete = nullptr, *PMDataEdit = nullptr;
    // The tray icon's menu
    QMenu *PopupTray = nullptr;
    QAction *PMTrayPlay = nullptr, *PMTrayPause = nullptr, *PMTrayStop = nullptr,
            *PMTrayBack = nullptr, *PMTrayNext = nullptr, *PMWindow = nullptr,
            *PMTrayExit = nullptr;

    // Builds every component on window, the list showing rows; clientResized
    // runs after each resize of the client area, once its layout has placed
    // the regions.
    void build(QMainWindow *window, QAbstractItemModel *rows, std::function<void()> clientResized);

private:
    void buildPanel(QMainWindow *window);
    void buildListView(QMainWindow *window, QAbstractItemModel *rows);
    void buildClientArea(QMainWindow *window, std::function<void()> clientResized);
    void buildFileAndEditMenus(QMainWindow *window);
    void buildSettingMenu(QMainWindow *window);
    void buildHiddenItems(QMainWindow *window);
    void buildPopupMenus(QMainWindow *window);
};
