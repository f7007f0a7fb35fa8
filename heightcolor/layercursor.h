// The keyboard's cell cursor in the colour layer list: what a key does with the list focused,
// where Left and Right move the cursor, which cell an edit key edits, and where the cursor
// lands after the list is refilled. Windows-free: keys are virtual-key code values.
#pragma once

// The keys the list acts on itself (the values of VK_RETURN, VK_SPACE, VK_LEFT, VK_RIGHT and
// VK_F2; colorlayerlist.cpp checks them against windows.h).
const unsigned kLayerKeyReturn = 0x0D;
const unsigned kLayerKeySpace = 0x20;
const unsigned kLayerKeyLeft = 0x25;
const unsigned kLayerKeyRight = 0x27;
const unsigned kLayerKeyF2 = 0x71;

// The first column a double-click or an edit key edits: the layer number is not editable.
const int kFirstEditableLayerColumn = 1;
// The colour column, where the cursor starts.
const int kLayerColourColumn = 3;

struct LayerCellCursor {
    int row;     // the list's focused row, -1 for none
    int column;  // 0 to the number of columns - 1
};

enum class LayerKeyAction {
    kListOwn,     // the list's own handling: Up, Down, Home, End, Page Up, Page Down, letters
    kMoveCursor,  // Left, Right: the cursor moves across the focused row
    kEditCell,    // Enter, F2, Space: the cell under the cursor is edited as a double-click edits it
};

LayerKeyAction LayerKeyActionFor(unsigned key);

// The column the cursor moves to from column when key (Left or Right) is pressed in a list of
// nColumns columns; it stops at the first and the last column. Any other key leaves it.
int LayerCursorColumnAfter(unsigned key, int column, int nColumns);

// The cursor once the list holds rowCount rows of nColumns columns (a refill with a new count
// or a new table): a row past the last becomes the last, no row stays none, and an empty list
// has none; a column past the last becomes the last (the colour column when all are there).
LayerCellCursor ClampLayerCursor(LayerCellCursor cursor, int rowCount, int nColumns);

// The column an edit key asks the parent to edit for the cursor: the cursor's column when its
// cell is a limit or the colour of a row the list holds, else -1 (nothing happens).
int LayerColumnToEdit(LayerCellCursor cursor, int rowCount, int nColumns);

// What a reader of the screen is told about: the list's rows and cells, named by child numbers
// of the list's accessible object. Rows are 1 to the row count (the numbers the list view's own
// notifications use); a cell of row r, column c is kLayerCellIdBase + r * kLayerColumnsMax + c.
const long kLayerCellIdBase = 0x10000;
const int kLayerColumnsMax = 4;
// The rows a list can number this way.
const int kLayerAccessibleRowsMax = (0x7FFFFFFF - kLayerCellIdBase) / kLayerColumnsMax;

struct LayerChild {
    enum Kind { kNone, kRow, kCell } kind;
    int row;     // 0-based, -1 for kNone
    int column;  // -1 for a row or kNone
};

// The child number of a cell; 0 (the list itself) when row or column is out of reach.
long LayerCellChildId(int row, int column);
// What a child number names in a list of rowCount rows and nColumns columns: a row or a cell it
// holds, or kNone (the list itself, or a number that names nothing there).
LayerChild LayerChildOf(long childId, int rowCount, int nColumns);
