#include "heightcolor/layercursor.h"

LayerKeyAction LayerKeyActionFor(unsigned key)
{
    switch (key) {
    case kLayerKeyLeft:
    case kLayerKeyRight:
        return LayerKeyAction::kMoveCursor;
    case kLayerKeyReturn:
    case kLayerKeyF2:
    case kLayerKeySpace:
        return LayerKeyAction::kEditCell;
    default:
        return LayerKeyAction::kListOwn;
    }
}

int LayerCursorColumnAfter(unsigned key, int column, int nColumns)
{
    if (key == kLayerKeyLeft && column > 0)
        return column - 1;
    if (key == kLayerKeyRight && column < nColumns - 1)
        return column + 1;
    return column;
}

LayerCellCursor ClampLayerCursor(LayerCellCursor cursor, int rowCount, int nColumns)
{
    if (cursor.row >= rowCount)
        cursor.row = rowCount - 1;
    if (cursor.row < 0)
        cursor.row = -1;
    if (cursor.column >= nColumns)
        cursor.column = nColumns - 1;
    if (cursor.column < 0)
        cursor.column = 0;
    return cursor;
}

int LayerColumnToEdit(LayerCellCursor cursor, int rowCount, int nColumns)
{
    if (cursor.row < 0 || cursor.row >= rowCount)
        return -1;
    if (cursor.column < kFirstEditableLayerColumn || cursor.column >= nColumns)
        return -1;
    return cursor.column;
}

long LayerCellChildId(int row, int column)
{
    if (row < 0 || row >= kLayerAccessibleRowsMax || column < 0 || column >= kLayerColumnsMax)
        return 0;
    return kLayerCellIdBase + static_cast<long>(row) * kLayerColumnsMax + column;
}

LayerChild LayerChildOf(long childId, int rowCount, int nColumns)
{
    const LayerChild none{LayerChild::kNone, -1, -1};
    if (childId >= 1 && childId < kLayerCellIdBase) {
        if (childId > rowCount)
            return none;
        return LayerChild{LayerChild::kRow, static_cast<int>(childId - 1), -1};
    }
    if (childId < kLayerCellIdBase)
        return none;
    const long offset = childId - kLayerCellIdBase;
    const long row = offset / kLayerColumnsMax;
    const int column = static_cast<int>(offset % kLayerColumnsMax);
    if (row >= rowCount || column >= nColumns)
        return none;
    return LayerChild{LayerChild::kCell, static_cast<int>(row), column};
}
