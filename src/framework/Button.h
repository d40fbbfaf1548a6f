#pragma once
#include "framework/Wnd.h"

class CButton : public CWnd {};
