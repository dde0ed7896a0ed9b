// zarp_driver: inspects and drives a running Zarp.exe from outside, for the end-to-end
// scenario scripts. Every subcommand prints plain UTF-8 lines (LF endings) that a script
// can diff or parse, and exits 0 on success, 1 on a failed check or wait, 2 on bad usage.
//
//   pid                     the Windows process id of the one running Zarp.exe
//   wait-window [ms]        waits until the frame is visible; prints its title and class
//   frame                   title, visible, enabled of the frame
//   menus                   the whole main menu, read inside Zarp by menuprobe.dll
//   toolbar                 every tool-bar item: id, separator, enabled, checked
//   zoombar                 percent box text, slider position and range, bar placement
//   hot                     the tool-bar button under the mouse (hot item), or none
//   geometry                screen rectangles for mouse input (view, slider, thumb, edit, buttons)
//                           and of the bars
//   popups                  number of visible menu windows
//   focus                   Zarp's active window and the control with the keyboard focus
//   xwindow                 the X window id of the frame (for xdotool)
//   set-slider N            moves the zoom slider without input (TBM_SETPOS)
//   dpi-changed NEW OLD     tells the frame it now stands on a screen of NEW DPI, as Windows
//                           does (Wine never does): the suggested rectangle is the frame's
//                           size scaled from OLD to NEW at the same place; prints both
//   command ID              posts WM_COMMAND ID to the frame
//   dialog [ms]             waits for a visible dialog of Zarp; prints caption, owner, controls
//   dialog-point ID         screen centre of a control of that dialog
//   click-dialog ID         clicks a button of that dialog (BM_CLICK)
//   wait-no-dialog [ms]     waits until Zarp shows no dialog
//   watch-hide [ms]         waits for the frame to hide, then to show; prints the hidden time
//   close [ms]              sends WM_CLOSE and waits for Zarp to end; fails if a dialog appears
//   wait-exit [ms]          waits for Zarp to end; fails if a dialog appears meanwhile
//   kill                    ends every Zarp.exe at once
//   popup-menus             every open popup menu of Zarp: its screen rectangle and items, read inside
//                           Zarp by menuprobe.dll
//   menu-rects              screen rectangles of the menu bar's items and of the open popups' items
//   foreground              class and title of the foreground window
//   clipboard               the formats on the clipboard, one number a line
//   clipboard-dib FILE      writes the clipboard's CF_DIB as a .bmp file; prints its header
//   file-dialog [ms]        waits for Zarp's save dialog; prints caption, owner, folder, file type, all
//                           types, name
//   save-as NAME yes|no|cancel [ms] [TYPE]
//                           chooses the TYPE-th file type (from 1) if given, types NAME into the save
//                           dialog and presses Save (or Cancel); answers a
//                           replace question with yes or no (no: the dialog stays and is cancelled);
//                           prints what it met
//   show-picture FILE X Y [ms] [front|menu]
//                           a window of its own at X,Y whose client area shows the .bmp FILE; prints
//                           its outer and client rectangles, runs until closed (or ms, default 120 s);
//                           front: takes the foreground; menu: also opens a menu of its own
//   close-picture           closes the show-picture window
//   hold FILE|clipboard MS [WAIT]
//                           holds the file (sharing nothing) or the clipboard for MS ms; with WAIT,
//                           takes the file the moment it opens at all; prints "held" (or "never opened")
#include "driver_commands.h"
#include "driver_support.h"

using namespace drv;

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    const std::wstring cmd = argv[1];
    if (cmd == L"pid") return CmdPid();
    if (cmd == L"wait-window") return CmdWaitWindow(ArgMs(argc, argv, 2, 15000));
    if (cmd == L"frame") return CmdFrame();
    if (cmd == L"menus") return CmdMenus();
    if (cmd == L"toolbar") return CmdToolbar();
    if (cmd == L"zoombar") return CmdZoombar();
    if (cmd == L"hot") return CmdHot();
    if (cmd == L"geometry") return CmdGeometry();
    if (cmd == L"popups") return CmdPopups();
    if (cmd == L"focus") return CmdFocus();
    if (cmd == L"xwindow") return CmdXWindow();
    if (cmd == L"set-slider" && argc > 2) return CmdSetSlider(_wtoi(argv[2]));
    if (cmd == L"dpi-changed" && argc > 3) return CmdDpiChanged(_wtoi(argv[2]), _wtoi(argv[3]));
    if (cmd == L"command" && argc > 2) return CmdCommand(ParseId(argv[2]));
    if (cmd == L"dialog") return CmdDialog(ArgMs(argc, argv, 2, 10000));
    if (cmd == L"dialog-point" && argc > 2) return CmdDialogPoint(ParseId(argv[2]));
    if (cmd == L"click-dialog" && argc > 2) return CmdClickDialog(ParseId(argv[2]));
    if (cmd == L"wait-no-dialog") return CmdWaitNoDialog(ArgMs(argc, argv, 2, 5000));
    if (cmd == L"watch-hide") return CmdWatchHide(ArgMs(argc, argv, 2, 20000));
    if (cmd == L"close") return CmdClose(ArgMs(argc, argv, 2, 10000));
    if (cmd == L"wait-exit") return CmdWaitExit(ArgMs(argc, argv, 2, 10000));
    if (cmd == L"kill") return CmdKill();
    if (cmd == L"popup-menus") return CmdPopupMenus();
    if (cmd == L"menu-rects") return CmdMenuRects();
    if (cmd == L"foreground") return CmdForeground();
    if (cmd == L"clipboard") return CmdClipboard();
    if (cmd == L"clipboard-dib" && argc > 2) return CmdClipboardDib(argv[2]);
    if (cmd == L"file-dialog") return CmdFileDialog(ArgMs(argc, argv, 2, 10000));
    if (cmd == L"save-as" && argc > 3)
        return CmdSaveAs(argv[2], argv[3], ArgMs(argc, argv, 4, 10000), ArgMs(argc, argv, 5, 0));
    if (cmd == L"show-picture" && argc > 4)
        return CmdShowPicture(argv[2], _wtoi(argv[3]), _wtoi(argv[4]), ArgMs(argc, argv, 5, 120000),
                              argc > 6 ? argv[6] : L"");
    if (cmd == L"close-picture") return CmdClosePicture();
    if (cmd == L"hold" && argc > 3) return CmdHold(argv[2], _wtoi(argv[3]), ArgMs(argc, argv, 4, 0));
    return Usage();
}

