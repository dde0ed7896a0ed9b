// Everything a program built on the framework includes.
#pragma once
#include "app.h"
#include "bars.h"
#include "dialog.h"
#include "doc.h"
#include "file.h"
#include "frame.h"
#include "gdi.h"
#include "ids.h"
#include "menu.h"
#include "view.h"
#include "wnd.h"
