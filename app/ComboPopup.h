#pragma once
// A combo box opens its list as wide as the box, or as its widest item would make the box, but
// the style draws the rows as menu items, whose icon column is wider than the box allows for:
// beside an icon, the texts of a narrow box come out elided. FitPopupToItems widens the list
// (never the box) to what the style's rows need for the items the box holds now; call it again
// after the items change. GUI thread only.

class QComboBox;

void FitPopupToItems(QComboBox* combo);
