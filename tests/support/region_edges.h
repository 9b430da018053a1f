#pragma once

#include <gtest/gtest.h>

#include <QPoint>
#include <functional>
#include <string>

namespace tq260::testing {

// A clickable region as its table gives it: edges included.
struct HitRegion {
    int code;
    int left;
    int top;
    int right;
    int bottom;
};

// The region's four corners and the middle of each edge hit it; the pixel just outside the
// middle of each edge does not (it may hit a neighbour).
inline void expectEdges(const std::function<int(QPoint)>& hitAt, const HitRegion& r,
                        const std::string& what) {
    const int midX = (r.left + r.right) / 2;
    const int midY = (r.top + r.bottom) / 2;
    for (const QPoint inside :
         {QPoint(r.left, r.top), QPoint(r.right, r.top), QPoint(r.left, r.bottom),
          QPoint(r.right, r.bottom), QPoint(r.left, midY), QPoint(r.right, midY),
          QPoint(midX, r.top), QPoint(midX, r.bottom)}) {
        EXPECT_EQ(hitAt(inside), r.code) << what << " at " << inside.x() << "," << inside.y();
    }
    for (const QPoint outside : {QPoint(r.left - 1, midY), QPoint(r.right + 1, midY),
                                 QPoint(midX, r.top - 1), QPoint(midX, r.bottom + 1)}) {
        EXPECT_NE(hitAt(outside), r.code) << what << " at " << outside.x() << "," << outside.y();
    }
}

}  // namespace tq260::testing
