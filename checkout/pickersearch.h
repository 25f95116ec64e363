#ifndef PICKERSEARCH_H
#define PICKERSEARCH_H

#include "pickerfilter.h"

class QEvent;
class QTableView;

// The search field of a picker: what is typed becomes the list's bound filter
// (PickerFilter), and the arrow keys walk the list below it.
class PickerSearch : public PickerFilter
{
public:
    using PickerFilter::PickerFilter;

    // Up and down in a search field walk the list below it, so the hands stay
    // on the keys. True when the key was used.
    static bool walkList(QTableView *view, int rows, QEvent *event);
};

#endif
