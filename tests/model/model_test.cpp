// Body operations: moves, turns, copies and links keep the model consistent.
#include "model/gravity.h"
#include "model/model.h"
#include "support/bodies.h"
#include "support/helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace corvane;
using corvane::test::link;
using corvane::test::setBody;
using corvane::test::setStations;

namespace {

// Two bodies sharing the edge x = 10 between depths 5 and 15.
std::unique_ptr<Model> twoLinkedBodies()
{
    auto m = makeModel();
    setStations(*m, 41, -20, 40);
    setBody(*m, 1, {{0, 5}, {10, 5}, {10, 15}, {0, 15}});
    setBody(*m, 2, {{10, 5}, {20, 5}, {20, 15}, {10, 15}}, -0.5);
    m->NumBodies = 2;
    link(*m, 1, 2, 2, 1);   // (10,5): corner 1 of body 2
    link(*m, 1, 3, 2, 4);   // (10,15)
    m->RecalculateModel();
    return m;
}

void expectTotalIsSumOfVisible(const Model& m)
{
    for (int i = 1; i <= m.NumStations; ++i) {
        double sum = 0;
        for (int b = 1; b <= m.NumBodies; ++b)
            if (!m.Bodies[b].Hidden)
                sum += m.Bodies[b].Gravity[i];
        ASSERT_NEAR(m.CalculatedGravity[i], sum, 1e-9 * (1 + std::abs(sum))) << "station " << i;
    }
}

void expectFreshAnomaly(const Model& m, int b)
{
    std::vector<double> g(static_cast<std::size_t>(m.NumStations));
    referenceAnomaly(m.Bodies[b], m.StationX.data(), m.NumStations, m.UnitsKm, g.data());
    for (int i = 1; i <= m.NumStations; ++i)
        ASSERT_NEAR(m.Bodies[b].Gravity[i], g[static_cast<std::size_t>(i - 1)],
                    1e-9 * std::max(1.0, std::abs(g[static_cast<std::size_t>(i - 1)])))
            << "body " << b << " station " << i;
}

}  // namespace

TEST(ModelDefaults, StartupValues)
{
    auto m = makeModel();
    EXPECT_EQ(m->NumStations, 100);
    EXPECT_EQ(m->StationX[1], 1);
    EXPECT_EQ(m->StationX[4096], 4096);
    EXPECT_TRUE(m->HaveObserved);
    EXPECT_TRUE(m->UnitsKm);
    EXPECT_FALSE(m->ModelExists);
    EXPECT_EQ(m->NumBodies, 1);
    EXPECT_EQ(m->CurrentBody, 1);
    EXPECT_EQ(m->NumHoles, 0);
    for (int b : {1, 51}) {
        const Tbody& body = m->Bodies[b];
        EXPECT_EQ(body.DensMin, 0.0001);
        EXPECT_EQ(body.DensMax, 1.0);
        EXPECT_EQ(body.XPosMin, 0);
        EXPECT_EQ(body.XPosMax, 1000);
        EXPECT_EQ(body.DepthMin, 0);
        EXPECT_EQ(body.DepthMax, 10000);
        EXPECT_EQ(body.AngleMin, -90);
        EXPECT_EQ(body.AngleMax, 90);
        EXPECT_EQ(body.NumCorners, 1);
        EXPECT_FALSE(body.Linked[51]);
        EXPECT_EQ(body.Gravity[4096], 0);
    }
    // A freshly constructed body keeps the constructor's bounds.
    Tbody fresh;
    EXPECT_EQ(fresh.DensMin, 0);
    EXPECT_EQ(fresh.DepthMax, 1000);
}

TEST(MoveBody, MovesAllCornersPartnersAndKeepsTotals)
{
    auto m = twoLinkedBodies();
    m->CurrentBody = 1;
    m->MoveBody(1, 2.5, 1.0);
    const Tbody& a = m->Bodies[1];
    const Tbody& b = m->Bodies[2];
    EXPECT_DOUBLE_EQ(a.CornerX[1], 2.5);
    EXPECT_DOUBLE_EQ(a.CornerX[5], 2.5);
    EXPECT_DOUBLE_EQ(a.CornerZ[5], 6);
    // Partner of corner 2 is corner 1 of body 2: its closing copy follows.
    EXPECT_DOUBLE_EQ(b.CornerX[1], 12.5);
    EXPECT_DOUBLE_EQ(b.CornerZ[1], 6);
    EXPECT_DOUBLE_EQ(b.CornerX[5], 12.5);
    EXPECT_DOUBLE_EQ(b.CornerZ[5], 6);
    EXPECT_DOUBLE_EQ(b.CornerX[4], 12.5);
    EXPECT_DOUBLE_EQ(b.CornerZ[4], 16);
    // Unlinked corners of the partner stay.
    EXPECT_DOUBLE_EQ(b.CornerX[2], 20);
    expectFreshAnomaly(*m, 1);
    expectFreshAnomaly(*m, 2);
    expectTotalIsSumOfVisible(*m);
}

TEST(MoveBody, SurfaceRuleAppliesToBodyAndPartners)
{
    auto m = twoLinkedBodies();
    m->MoveBody(1, 0, -10);   // top corners would reach depth -5
    const Tbody& a = m->Bodies[1];
    const Tbody& b = m->Bodies[2];
    EXPECT_DOUBLE_EQ(a.CornerZ[1], MinDepth);
    EXPECT_DOUBLE_EQ(a.CornerZ[2], MinDepth);
    EXPECT_DOUBLE_EQ(a.CornerZ[3], 5);
    EXPECT_DOUBLE_EQ(b.CornerZ[1], MinDepth);
    EXPECT_DOUBLE_EQ(b.CornerZ[5], MinDepth);
    EXPECT_DOUBLE_EQ(b.CornerZ[4], 5);
    EXPECT_DOUBLE_EQ(b.CornerZ[2], 5);   // unlinked corner of the partner is untouched
    // Moving exactly onto the surface counts too.
    auto m2 = twoLinkedBodies();
    m2->MoveBody(1, 0, -5);
    EXPECT_DOUBLE_EQ(m2->Bodies[1].CornerZ[1], MinDepth);
}

TEST(MoveBody, PartnerOfCornerOneMovesOnceWhenCornerNCarriesItsRecord)
{
    auto m = twoLinkedBodies();
    // Corner 1 of body 2 is linked to body 1; give corner n the copied record
    // that deleting corners leaves behind.
    Tbody& b2 = m->Bodies[2];
    b2.Linked[5] = true;
    b2.LinkBody[5] = 1;
    b2.LinkCorner[5] = 2;
    m->CurrentBody = 2;
    m->MoveBody(2, 3, 0);
    EXPECT_DOUBLE_EQ(m->Bodies[1].CornerX[2], 13);   // not 16
    EXPECT_DOUBLE_EQ(m->Bodies[1].CornerX[3], 13);
    EXPECT_DOUBLE_EQ(b2.CornerX[1], 13);
    expectTotalIsSumOfVisible(*m);
}

TEST(MoveBody, RecalculatesTheCurrentBodyNotTheMovedOne)
{
    auto m = twoLinkedBodies();
    setBody(*m, 3, {{-10, 2}, {-5, 2}, {-5, 4}, {-10, 4}});
    m->NumBodies = 3;
    m->RecalculateModel();
    const double before = m->Bodies[3].Gravity[10];
    m->CurrentBody = 1;
    m->MoveBody(3, 5, 0);   // the copy command moves a body that is not current
    EXPECT_EQ(m->Bodies[3].Gravity[10], before);
    m->UpdateBody(3);
    expectFreshAnomaly(*m, 3);
    expectTotalIsSumOfVisible(*m);
}

TEST(TurnBody, AngleReductionAndRotation)
{
    auto turned = [](double angle) {
        auto m = makeModel();
        setStations(*m, 11, -10, 10);
        setBody(*m, 1, {{-1, 5}, {1, 5}, {1, 7}, {-1, 7}});
        m->TurnBody(1, angle);
        return m;
    };
    auto a = turned(370), b = turned(10);
    auto c = turned(-30), d = turned(330);
    for (int k = 1; k <= 5; ++k) {
        EXPECT_DOUBLE_EQ(a->Bodies[1].CornerX[k], b->Bodies[1].CornerX[k]);
        EXPECT_DOUBLE_EQ(a->Bodies[1].CornerZ[k], b->Bodies[1].CornerZ[k]);
        EXPECT_DOUBLE_EQ(c->Bodies[1].CornerX[k], d->Bodies[1].CornerX[k]);
        EXPECT_DOUBLE_EQ(c->Bodies[1].CornerZ[k], d->Bodies[1].CornerZ[k]);
    }
    // 90 degrees with the factor 0.0174533 (not exactly pi/2), about the centre (0, 6):
    // (-1, 5) goes to (cx - dz*s + dx*c, cz + dx*s + dz*c).
    auto e = turned(90);
    const double r = 90 * 0.0174533;
    EXPECT_DOUBLE_EQ(e->Bodies[1].CornerX[1], 0 + (-1) * std::cos(r) - (-1) * std::sin(r));
    EXPECT_DOUBLE_EQ(e->Bodies[1].CornerZ[1], 6 + (-1) * std::sin(r) + (-1) * std::cos(r));
    EXPECT_DOUBLE_EQ(e->Bodies[1].CornerX[5], e->Bodies[1].CornerX[1]);
    EXPECT_NE(e->Bodies[1].CornerX[1], 1.0);   // the rounded factor shows
    EXPECT_NEAR(e->Bodies[1].CornerX[1], 1.0, 1e-5);
}

TEST(TurnBody, PartnersFollowAndSurfaceRuleHolds)
{
    auto m = twoLinkedBodies();
    m->TurnBody(1, 180);   // the body turns about (5, 10): corner 2 (10,5) goes to about (0,15)
    const Tbody& a = m->Bodies[1];
    const Tbody& b = m->Bodies[2];
    EXPECT_NEAR(a.CornerX[2], 0, 1e-4);
    EXPECT_NEAR(a.CornerZ[2], 15, 1e-4);
    EXPECT_DOUBLE_EQ(b.CornerX[1], a.CornerX[2]);
    EXPECT_DOUBLE_EQ(b.CornerZ[1], a.CornerZ[2]);
    EXPECT_DOUBLE_EQ(b.CornerX[5], a.CornerX[2]);   // partner stays closed
    EXPECT_DOUBLE_EQ(b.CornerX[4], a.CornerX[3]);
    expectFreshAnomaly(*m, 2);   // partners are recalculated, the turned body by its caller

    auto s = makeModel();
    setBody(*s, 1, {{0, 0.5}, {10, 0.5}, {10, 1}, {0, 1}});
    s->TurnBody(1, 90);   // corners swing above the surface
    for (int k = 1; k <= 5; ++k)
        EXPECT_GT(s->Bodies[1].CornerZ[k], 0);
}

TEST(UnlinkCorner, ClearsBothSidesAndClosingCopies)
{
    auto m = twoLinkedBodies();
    m->Bodies[2].Linked[5] = true;   // closing copy carries corner 1's record
    m->Bodies[2].LinkBody[5] = 1;
    m->Bodies[2].LinkCorner[5] = 2;
    m->UnlinkCorner(1, 2);
    EXPECT_FALSE(m->Bodies[1].Linked[2]);
    EXPECT_EQ(m->Bodies[1].LinkBody[2], 0);
    EXPECT_FALSE(m->Bodies[2].Linked[1]);
    EXPECT_FALSE(m->Bodies[2].Linked[5]);
    EXPECT_EQ(m->Bodies[2].LinkCorner[5], 0);
    EXPECT_TRUE(m->Bodies[1].Linked[3]);   // the other link stays

    // From corner 1's side: corner n of this body is cleared too.
    auto n = twoLinkedBodies();
    n->Bodies[2].Linked[5] = true;
    n->UnlinkCorner(2, 1);
    EXPECT_FALSE(n->Bodies[2].Linked[5]);
    EXPECT_FALSE(n->Bodies[1].Linked[2]);
    n->UnlinkCorner(2, 2);   // not linked: nothing happens
    EXPECT_TRUE(n->Bodies[2].Linked[4]);
}

TEST(CopyBody, CopiesShapeFlagsLinksAndAnomalyButNotBounds)
{
    auto m = twoLinkedBodies();
    Tbody& src = m->Bodies[1];
    src.InvertDepth = true;
    src.CornerInvertZ[3] = true;
    src.Hidden = true;
    src.DensMax = 3;
    m->CopyBody(1, 7);
    const Tbody& dst = m->Bodies[7];
    EXPECT_EQ(dst.NumCorners, 5);
    EXPECT_EQ(dst.CornerX[2], 10);
    EXPECT_TRUE(dst.InvertDepth);
    EXPECT_TRUE(dst.CornerInvertZ[3]);
    EXPECT_TRUE(dst.Linked[2]);
    EXPECT_EQ(dst.LinkBody[2], 2);
    EXPECT_TRUE(dst.Hidden);
    EXPECT_EQ(dst.Density, 1.0);
    EXPECT_EQ(dst.StrikeLength2, 1000);
    EXPECT_EQ(dst.Gravity[20], src.Gravity[20]);
    EXPECT_EQ(dst.DensMax, 1.0);   // bounds stay the slot's own
}

TEST(ClearInversionFlags, ClearsFlagsAndLinksInRange)
{
    auto m = twoLinkedBodies();
    m->Bodies[1].InvertDensity = true;
    m->Bodies[1].CornerInvertX[5] = true;
    m->Bodies[2].InvertAngle = true;
    m->ClearInversionFlags(1, 1);
    EXPECT_FALSE(m->Bodies[1].InvertDensity);
    EXPECT_FALSE(m->Bodies[1].CornerInvertX[5]);
    EXPECT_FALSE(m->Bodies[1].Linked[2]);
    EXPECT_TRUE(m->Bodies[2].InvertAngle);
    EXPECT_TRUE(m->Bodies[2].Linked[1]);
}

TEST(Totals, HiddenBodiesAndFallingBodyCount)
{
    auto m = makeModel();
    setStations(*m, 21, -10, 10);
    for (int b = 1; b <= 5; ++b)
        setBody(*m, b, {{-1.0 * b, 1}, {1.0 * b, 1}, {1.0 * b, 2}, {-1.0 * b, 2}}, 0.1 * b);
    m->NumBodies = 5;
    m->RecalculateModel();
    expectTotalIsSumOfVisible(*m);

    // Hidden: the body's array is refreshed but the total does not change.
    m->setHidden(2, true);
    expectTotalIsSumOfVisible(*m);
    const double total = m->CalculatedGravity[11];
    m->Bodies[2].Density = 5;
    m->UpdateBody(2);
    EXPECT_EQ(m->CalculatedGravity[11], total);
    expectFreshAnomaly(*m, 2);
    m->setHidden(2, false);
    expectTotalIsSumOfVisible(*m);

    // Bodies above NumBodies play no part.
    m->NumBodies = 3;
    m->RecalculateModel();
    expectTotalIsSumOfVisible(*m);

    // Two identical bodies, one hidden: the total is one body's anomaly.
    auto t = makeModel();
    setStations(*t, 9, -4, 4);
    setBody(*t, 1, corvane::test::unitRectangle);
    t->CopyBody(1, 2);
    t->Bodies[2].Hidden = true;
    t->NumBodies = 2;
    t->RecalculateModel();
    for (int i = 1; i <= 9; ++i)
        EXPECT_NEAR(t->CalculatedGravity[i], t->Bodies[1].Gravity[i], 1e-12);
}
