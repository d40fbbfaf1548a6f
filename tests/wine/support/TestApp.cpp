// The one application object of an in-process test program. Its module is
// the test program itself, so templates come from the program's resources.
#include "framework/WinApp.h"

namespace {

class CTestApp : public CWinApp {
public:
    CTestApp() { Enable3dControls(); }
};

CTestApp theApp;

} // namespace
