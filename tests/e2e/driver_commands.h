// The subcommands of zarp_driver (see driver.cpp for what each prints).
#pragma once
#include <string>
#include <windows.h>

namespace drv {

int CmdPid();
int CmdWaitWindow(int timeout);
int CmdFrame();
int CmdMenus();
int CmdPopupMenus();
int CmdMenuRects();
int CmdToolbar();
int CmdHot();
int CmdZoombar();
int CmdGeometry();
int CmdPopups();
int CmdFocus();
int CmdXWindow();
int CmdSetSlider(int pos);
int CmdDpiChanged(int dpi, int from);
int CmdCommand(UINT id);
int CmdDialog(int timeout);
int CmdDialogPoint(UINT id);
int CmdClickDialog(UINT id);
int CmdWaitNoDialog(int timeout);
int CmdWatchHide(int timeout);
int CmdClose(int timeout);
int CmdWaitExit(int timeout);
int CmdKill();
int CmdClipboard();
int CmdClipboardDib(const wchar_t* path);
int CmdFileDialog(int timeout);
int CmdSaveAs(const wchar_t* name, const std::wstring& answer, int timeout, int type);
int CmdShowPicture(const wchar_t* path, int x, int y, int lifetime, const std::wstring& mode);
int CmdClosePicture();
int CmdForeground();
int CmdHold(const wchar_t* what, int ms, int wait);
int Usage();

}  // namespace drv
