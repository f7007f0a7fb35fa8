// The keyboard's cell cursor of the colour layer list: what each key does, where Left and
// Right move it, which cell an edit key edits and where a refill leaves it.
#include "heightcolor/layercursor.h"

#include <gtest/gtest.h>

TEST(LayerCursor, KeysAndTheirActions)
{
    struct Case {
        unsigned key;
        LayerKeyAction action;
    };
    const Case cases[] = {
        {0x0D, LayerKeyAction::kEditCell},    // Enter
        {0x71, LayerKeyAction::kEditCell},    // F2
        {0x20, LayerKeyAction::kEditCell},    // Space
        {0x25, LayerKeyAction::kMoveCursor},  // Left
        {0x27, LayerKeyAction::kMoveCursor},  // Right
        {0x26, LayerKeyAction::kListOwn},     // Up
        {0x28, LayerKeyAction::kListOwn},     // Down
        {0x24, LayerKeyAction::kListOwn},     // Home
        {0x23, LayerKeyAction::kListOwn},     // End
        {0x21, LayerKeyAction::kListOwn},     // Page Up
        {0x22, LayerKeyAction::kListOwn},     // Page Down
        {0x09, LayerKeyAction::kListOwn},     // Tab (the dialog's)
        {0x72, LayerKeyAction::kListOwn},     // F3
        {'A', LayerKeyAction::kListOwn},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LayerKeyActionFor(c.key), c.action) << "key 0x" << std::hex << c.key;
}

TEST(LayerCursor, LeftAndRightStopAtTheEdges)
{
    struct Case {
        unsigned key;
        int column, nColumns, expected;
    };
    const Case cases[] = {
        {kLayerKeyLeft, 3, 4, 2},  {kLayerKeyLeft, 1, 4, 0},   {kLayerKeyLeft, 0, 4, 0},
        {kLayerKeyRight, 0, 4, 1}, {kLayerKeyRight, 2, 4, 3},  {kLayerKeyRight, 3, 4, 3},
        {kLayerKeyRight, 1, 2, 1},  // two columns laid out: the second is the last
        {kLayerKeyF2, 2, 4, 2},    {0x26 /* Up */, 1, 4, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LayerCursorColumnAfter(c.key, c.column, c.nColumns), c.expected)
            << "key 0x" << std::hex << c.key << std::dec << " from column " << c.column << " of " << c.nColumns;
}

TEST(LayerCursor, RefillsClampTheCursor)
{
    struct Case {
        LayerCellCursor before;
        int rows, columns;
        LayerCellCursor after;
    };
    const Case cases[] = {
        {{200, 3}, 256, 4, {200, 3}},  // still there
        {{200, 1}, 6, 4, {5, 1}},      // fewer layers: the last row
        {{5, 2}, 6, 4, {5, 2}},        // the last row itself
        {{3, 3}, 0, 4, {-1, 3}},       // an empty list has no row
        {{-1, 3}, 16, 4, {-1, 3}},     // no row before: none after
        {{4, 3}, 8, 2, {4, 1}},        // fewer columns: the last one
        {{4, 7}, 8, 4, {4, 3}},        // a column past the last
        {{4, -2}, 8, 4, {4, 0}},
    };
    for (const Case& c : cases) {
        const LayerCellCursor got = ClampLayerCursor(c.before, c.rows, c.columns);
        EXPECT_EQ(got.row, c.after.row) << c.before.row << "," << c.before.column << " into " << c.rows;
        EXPECT_EQ(got.column, c.after.column) << c.before.row << "," << c.before.column << " into " << c.rows;
    }
}

TEST(LayerCursor, EditKeysEditTheCellsADoubleClickEdits)
{
    struct Case {
        LayerCellCursor cursor;
        int rows;
        int expected;
    };
    const Case cases[] = {
        {{0, 3}, 6, 3},   {{5, 1}, 6, 1}, {{2, 2}, 6, 2},
        {{2, 0}, 6, -1},  // the layer number
        {{-1, 3}, 6, -1},  // no focused row
        {{6, 3}, 6, -1},   // a row the list does not hold
        {{0, 4}, 6, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LayerColumnToEdit(c.cursor, c.rows, 4), c.expected)
            << c.cursor.row << "," << c.cursor.column << " of " << c.rows;
}

TEST(LayerCursor, ChildNumbersOfRowsAndCellsAndNumbersThatNameNothing)
{
    struct Case {
        long id;
        int rows, columns;
        LayerChild::Kind kind;
        int row, column;
    };
    const long cell = kLayerCellIdBase;
    const Case cases[] = {
        {1, 8, 4, LayerChild::kRow, 0, -1},
        {8, 8, 4, LayerChild::kRow, 7, -1},
        {9, 8, 4, LayerChild::kNone, -1, -1},       // past the last row
        {0, 8, 4, LayerChild::kNone, -1, -1},       // the list itself
        {-4, 8, 4, LayerChild::kNone, -1, -1},      // the platform's object numbers
        {cell, 8, 4, LayerChild::kCell, 0, 0},
        {cell + 4 * 7 + 3, 8, 4, LayerChild::kCell, 7, 3},
        {cell + 4 * 8, 8, 4, LayerChild::kNone, -1, -1},  // a cell of a row the list lacks
        {cell + 3, 8, 3, LayerChild::kNone, -1, -1},      // a column the list lacks
        {cell + 1, 0, 4, LayerChild::kNone, -1, -1},      // an empty list
        {1, 0, 4, LayerChild::kNone, -1, -1},
    };
    for (const Case& c : cases) {
        const LayerChild got = LayerChildOf(c.id, c.rows, c.columns);
        EXPECT_EQ(got.kind, c.kind) << "id " << c.id;
        EXPECT_EQ(got.row, c.row) << "id " << c.id;
        EXPECT_EQ(got.column, c.column) << "id " << c.id;
    }
    // A cell's number leads back to the cell; a cell out of reach gets no number.
    for (int row : {0, 1, 255, kLayerAccessibleRowsMax - 1})
        for (int column = 0; column < 4; ++column) {
            const LayerChild back = LayerChildOf(LayerCellChildId(row, column), kLayerAccessibleRowsMax, 4);
            EXPECT_EQ(back.kind, LayerChild::kCell);
            EXPECT_EQ(back.row, row);
            EXPECT_EQ(back.column, column);
        }
    EXPECT_EQ(LayerCellChildId(-1, 0), 0);
    EXPECT_EQ(LayerCellChildId(0, 4), 0);
    EXPECT_EQ(LayerCellChildId(kLayerAccessibleRowsMax, 0), 0);
    EXPECT_GT(LayerCellChildId(kLayerAccessibleRowsMax - 1, 3), 0);
}
