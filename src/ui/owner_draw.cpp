// The list filler and the owner-drawn list rows of the model and port pages:
// an icon of the program on the left, the text beside it, each row as tall
// as the icon the system draws (34 pixels at 96 DPI).
#include "ui/owner_draw.h"
#include "platform/platform.h"

void FillList(HWND dialog, int listId, SHORT count, FetchText fetch)
{
    SendDlgItemMessageA(dialog, listId, LB_RESETCONTENT, 0, 0);
    if (count <= 0) return;

    // A fetch that writes nothing leaves the text before it (or this empty
    // one), which is never added as a new row.
    char text[1024];
    text[0] = '\0';
    for (WORD index = 0; index < (WORD)count; ++index) {
        fetch(index, text);
        if (text[0] == '\0') continue;
        // The exact-match search ignores letter case: of "A" and "a" only the
        // first one fetched becomes a row.
        if (SendDlgItemMessageA(dialog, listId, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text) ==
            LB_ERR)
            SendDlgItemMessageA(dialog, listId, LB_ADDSTRING, 0, (LPARAM)text);
    }
}

int RowHeight()
{
    // DrawIcon draws at the system's icon size, which grows with the DPI.
    int height = GetSystemMetrics(SM_CYICON) + 2 * ROW_ICON_MARGIN;
    return height > ROW_HEIGHT ? height : ROW_HEIGHT;
}

void MeasureRow(MEASUREITEMSTRUCT *measure)
{
    UINT height = (UINT)RowHeight();
    if (measure->itemHeight < height) measure->itemHeight = height;
}

namespace {

// The row's text into a 1024-byte buffer; LB_GETTEXT takes no size, so a
// longer row is read as empty rather than overrunning.
void ReadRowText(const DRAWITEMSTRUCT *draw, char *text)
{
    text[0] = '\0';
    LRESULT length = SendMessageA(draw->hwndItem, LB_GETTEXTLEN, draw->itemID, 0);
    if (length == LB_ERR || length >= 1024) return;
    SendMessageA(draw->hwndItem, LB_GETTEXT, draw->itemID, (LPARAM)text);
}

}  // namespace

void DrawRow(const DRAWITEMSTRUCT *draw, ChooseIcon chooseIcon)
{
    if (draw->itemID == (UINT)-1) return;

    HDC dc = draw->hDC;
    const RECT &row = draw->rcItem;
    bool selected = (draw->itemState & ODS_SELECTED) != 0;
    COLORREF oldText = SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    COLORREF oldBack = SetBkColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    int base = LOWORD(GetDialogBaseUnits());
    int textTop = (row.top + row.bottom - metrics.tmHeight) / 2;

    char text[1024];
    ReadRowText(draw, text);
    // Opaque over the whole row: this also wipes an earlier focus rectangle.
    ExtTextOutA(dc, 2 * base + GetSystemMetrics(SM_CXICON), textTop, ETO_OPAQUE | ETO_CLIPPED, &row,
                text, lstrlenA(text), NULL);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);

    // The chooser gets one buffer as text and name alike.
    chooseIcon(text, text);
    HICON icon = LoadIconA(ModuleInstance(), text);
    if (icon) DrawIcon(dc, base, row.top + ROW_ICON_MARGIN, icon);

    if (draw->itemState & ODS_FOCUS) DrawFocusRect(dc, &row);
}
