import QtQuick

// Kept in the resource for the pages that may link to it; nothing loads it.
Item {}
