#include "model/corner_edit.h"

namespace corvane {

namespace {

// Everything a stored corner carries moves together.
void moveCornerRecord(Tbody& body, int from, int to)
{
    body.CornerX[to] = body.CornerX[from];
    body.CornerZ[to] = body.CornerZ[from];
    body.CornerInvertX[to] = body.CornerInvertX[from];
    body.CornerInvertZ[to] = body.CornerInvertZ[from];
    body.Linked[to] = body.Linked[from];
    body.LinkBody[to] = body.LinkBody[from];
    body.LinkCorner[to] = body.LinkCorner[from];
}

bool linkedPartner(const Model& m, int b, int c, int& pb, int& pk)
{
    return m.partnerOf(b, c, pb, pk) && pb <= m.NumBodies;
}

}  // namespace

int copyCornerPosition(Model& m, int b, int c, double x, double z)
{
    Tbody& body = m.Bodies[b];
    body.setCorner(c, x, z);
    int pb = 0, pk = 0;
    if (!linkedPartner(m, b, c, pb, pk))
        return 0;
    m.Bodies[pb].setCorner(pk, x, z);
    return pb;
}

void updateAfterCornerMove(Model& m, int b, int partnerBody)
{
    // A hidden partner adds nothing to the total, but its own anomaly must
    // still match its corners for the moment it is shown again.
    if (partnerBody >= 1 && partnerBody != b)
        m.UpdateBody(partnerBody);
    m.UpdateBody(b);
}

void moveCorner(Model& m, int b, int c, double x, double z)
{
    updateAfterCornerMove(m, b, copyCornerPosition(m, b, c, x, z));
}

void renumberCornerLinks(Model& m, int b, const std::vector<int>& oldToNew)
{
    const int top = static_cast<int>(oldToNew.size()) - 1;
    for (int ob = 1; ob <= m.NumBodies; ++ob) {
        if (ob == b)
            continue;
        Tbody& other = m.Bodies[ob];
        for (int k = 1; k <= other.NumCorners; ++k) {
            if (!other.Linked[k] || other.LinkBody[k] != b)
                continue;
            const int old = other.LinkCorner[k];
            const int now = old >= 1 && old <= top ? oldToNew[static_cast<std::size_t>(old)] : 0;
            if (now > 0)
                other.LinkCorner[k] = now;
            else
                other.clearLink(k);   // never left pointing at some other corner
        }
    }
}

bool canAddCorner(const Model& m, int b) { return m.Bodies[b].NumCorners < MaxCorners; }

bool insertCorner(Model& m, int b, int p, double x, double z)
{
    Tbody& body = m.Bodies[b];
    const int n = body.NumCorners;
    if (n >= MaxCorners || p < 1 || p > n - 1)
        return false;
    for (int k = n; k >= p + 1; --k)
        moveCornerRecord(body, k, k + 1);
    body.CornerX[p + 1] = x;
    body.CornerZ[p + 1] = z;
    body.CornerInvertX[p + 1] = false;
    body.CornerInvertZ[p + 1] = false;
    body.clearLink(p + 1);
    body.NumCorners = n + 1;

    std::vector<int> oldToNew(static_cast<std::size_t>(n) + 1, 0);
    for (int k = 1; k <= n; ++k)
        oldToNew[static_cast<std::size_t>(k)] = k <= p ? k : k + 1;
    renumberCornerLinks(m, b, oldToNew);
    m.UpdateBody(b);
    return true;
}

bool canDeleteCorners(const Model& m, int b) { return m.Bodies[b].NumCorners > MinStoredCorners; }

int maxCornersToDelete(const Model& m, int b) { return m.Bodies[b].NumCorners - MinStoredCorners; }

bool deleteCorners(Model& m, int b, const std::set<int>& marked)
{
    Tbody& body = m.Bodies[b];
    const int n = body.NumCorners;
    const int count = static_cast<int>(marked.size());
    if (count == 0)
        return true;
    if (count > n - MinStoredCorners)
        return false;
    for (int c : marked)
        if (c < 1 || c > n - 1)
            return false;

    for (int c : marked)
        m.UnlinkCorner(b, c);

    std::vector<int> oldToNew(static_cast<std::size_t>(n) + 1, 0);
    int j = 0;
    for (int k = 1; k <= n - 1; ++k) {
        if (marked.count(k))
            continue;
        ++j;
        if (j != k)
            moveCornerRecord(body, k, j);
        oldToNew[static_cast<std::size_t>(k)] = j;
    }
    const int newN = j + 1;
    moveCornerRecord(body, 1, newN);   // the closing copy, with corner 1's link record
    oldToNew[static_cast<std::size_t>(n)] = newN;
    body.NumCorners = newN;

    renumberCornerLinks(m, b, oldToNew);
    m.UpdateBody(b);
    return true;
}

}  // namespace corvane
