// Exchange of values between a dialog's controls and its fields.
#pragma once

#include "framework/Wnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate; // TRUE: controls -> fields; FALSE: fields -> controls
    CWnd* m_pDlgWnd;
};

// Binds rControl to control nIDC on the first exchange.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// Radio group starting at nIDC and running to the next control that starts a group.
// Taking: position of the selected radio, -1 when none. Showing: selects the radio at value, none when
// outside.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
// Check box: 0 clear, 1 ticked, 2 indeterminate; a value outside 0..2 is shown (and kept) as 0.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
