// A push button of a dialog, bound with CDialog::DDX_Control.
#pragma once
#include "framework/Wnd.h"

class CButton : public CWnd {};
