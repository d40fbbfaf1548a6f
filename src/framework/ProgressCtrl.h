#pragma once
#include "framework/Wnd.h"

class CProgressCtrl : public CWnd {
public:
    void SetRange32(int lower, int upper);
    void GetRange(int& lower, int& upper);
    // Returns the previous position.
    int SetPos(int pos);
    int GetPos();
};
