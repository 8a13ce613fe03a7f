#pragma once

class QMdiArea;
class QWidget;

// The Edit menu (cut, copy and paste on the focused text field) and the arrangement of the main
// window's child windows. Holds no state.
//
// Text fields are line edits, text edits, plain text edits, editable combo boxes and spin boxes;
// the focused one takes part when it has a selection (cut, copy) or when the clipboard holds text
// (paste). Cut and Paste need a field that is not read-only.
class clsQTR_Window {
public:
    clsQTR_Window() = default;

    // Enables mnuEditCut, mnuEditCopy and mnuEditPaste of `form` as the focused field allows.
    void EditMenuSetup(QWidget& form);
    void EditCut();
    void EditCopy();
    void EditPaste();

    // Unloads the active display window of `form` (nothing when none is active).
    void CloseWindow(QWidget& form);

    void ArrangeChildIcons(QWidget& form);
    void CascadeChildWindows(QWidget& form);
    // Child windows one above the other, each as wide as the client area.
    void TileHorzWindows(QWidget& form);
    // Child windows side by side, each as tall as the client area.
    void TileVertWindows(QWidget& form);

private:
    static QMdiArea* areaOf(QWidget& form);
};
