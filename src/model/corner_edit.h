#pragma once
// Changing the corners of a body: moving one (with its closing copy and its
// linked partner), inserting one, deleting marked ones. Links are held by body
// and corner number on both sides, so every operation that renumbers corners
// also rewrites the partner records that point at them. Plain C++ beside the
// model: the mouse commands, the dialogs and the tests call it alike.
#include "model/model.h"

#include <set>
#include <vector>

namespace corvane {

inline constexpr int MinStoredCorners = 4;   // 3 distinct corners and the closing copy

// Writes (x, z) into corner c of body b (and the closing copy when c is 1)
// and into the linked partner corner (and its closing copy). No anomaly is
// recalculated. Returns the partner body, or 0 when the corner is not linked.
int copyCornerPosition(Model& m, int b, int c, double x, double z);

// Recalculates the bodies changed by moving corner c of body b: the partner
// body first (its Gravity is kept valid even while it is hidden), then b.
void updateAfterCornerMove(Model& m, int b, int partnerBody);

// Moves corner c of body b and brings the anomaly up to date.
void moveCorner(Model& m, int b, int c, double x, double z);

// Corner records of body b moved: oldToNew[k] is the new number of stored
// corner k (0 when it is gone). Every partner record in the other bodies
// 1..NumBodies that points into b is rewritten to match.
void renumberCornerLinks(Model& m, int b, const std::vector<int>& oldToNew);

bool canAddCorner(const Model& m, int b);   // fewer than 51 stored corners

// Inserts a new, unlinked corner after corner p (1..n-1) of body b and
// recalculates the body. Refuses (returns false) at the corner limit.
bool insertCorner(Model& m, int b, int p, double x, double z);

bool canDeleteCorners(const Model& m, int b);   // more than 3 distinct corners

// How many corners may be marked for deletion: n - 4.
int maxCornersToDelete(const Model& m, int b);

// Deletes the marked distinct corners of body b (their links are removed on
// both sides), closes the polygon again with corner 1's link record and
// recalculates the body. Refuses (returns false) when fewer than 3 distinct
// corners would remain or a mark is not a distinct corner.
bool deleteCorners(Model& m, int b, const std::set<int>& marked);

}  // namespace corvane
