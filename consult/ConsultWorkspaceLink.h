#pragma once

#include <QString>

#include <functional>

// What the consultation sheet needs of the workspace that opens it, without knowing the
// workspace: the product and brand it stands on (the sheet opens on that row) and a way
// to put it on an item for editing its unit price.
struct ConsultWorkspaceLink
{
    struct Item
    {
        QString product;
        QString brand;
    };
    // The workspace's current product and brand; empty when it shows none.
    std::function<Item()> currentItem;
    // Puts the workspace on region, supplier, product and brand with the focus on the
    // unit price; false (and nothing changed) when the region or supplier is not there.
    std::function<bool(const QString &region, const QString &supplier, const QString &product,
                       const QString &brand)>
        openItem;
};
