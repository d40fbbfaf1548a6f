#pragma once
// Shared support for the in-process Windows tests (run under wine64).
//
//  - FlushEvents(): handles every message that is waiting or arrives within
//    a short quiet period, the way the program's own loop would (keyboard
//    messages to the innermost dialog first, then translate and dispatch).
//    Waits on the queue (MsgWaitForMultipleObjects), never sleeps.
//  - MessageBoxAnswerer: while it lives, every message box shown on this
//    thread is recorded (caption, text, visible buttons, default button,
//    icon) and answered with the next queued answer; with the queue empty it
//    is answered with a button that ends it (Cancel, No, Abort or OK, in this
//    order of preference) and counted as unexpected.
//  - ControlText / DlgItemText, ControlFont (WM_GETFONT + GetObjectA) and
//    RealFaceName (the face the font really uses, GetTextFaceA: Wine silently
//    substitutes missing faces, which lfFaceName does not show).
//  - TempFolder, ExclusiveHold and the file helpers of TestFiles.h (bytes in
//    and out, folders, trees), also for tests without the framework: they
//    live in tessaro_wine_test_files, which this library passes on.
//
// A test program also links the object library tessaro_wine_test_app, which
// holds the one application object (its module is the test program, so
// dialog templates come from the test program's own resources).
#include "FlushEvents.h"
#include "MessageBoxAnswerer.h"
#include "ControlProbe.h"
#include "ExclusiveHold.h"
#include "TempFolder.h"
#include "TestFiles.h"
