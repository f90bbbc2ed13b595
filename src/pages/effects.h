#pragma once

// The entry effects with which a controller brings a page on. A page stores the effect as its
// position in the effect list of the screen's card type, and the two card families number the same
// effect differently (effect_lists.h maps both lists onto this enumeration). The enumeration follows
// the "Normal" list, the fuller of the two.
namespace pelvoro {

enum class Effect {
    Random, // "随机": the controller picks one; the preview picks one of PageTurn..CrossOut
    PageTurn,
    CoverLeft,  // "左覆盖": the page covers the old one from the right edge leftwards
    CoverRight, // from the left edge rightwards
    CoverUp,    // from the bottom upwards
    CoverDown,  // from the top downwards
    // The corner covers come as a slanted line, a straight line and an edge.
    CoverTopLeftSlant,
    CoverTopRightSlant,
    CoverBottomLeftSlant,
    CoverBottomRightSlant,
    CoverTopLeftStraight,
    CoverTopRightStraight,
    CoverBottomLeftStraight,
    CoverBottomRightStraight,
    CoverTopLeftEdge,
    CoverTopRightEdge,
    CoverBottomLeftEdge,
    CoverBottomRightEdge,
    BlindsLeftRight, // "水平百叶(左右)"
    BlindsRightLeft,
    BlindsTopBottom, // "垂直百叶(上下)"
    BlindsBottomTop,
    OpenLeftRight, // "左右对开": opening from the centre
    OpenTopBottom,
    CloseLeftRight, // "左右闭合": closing from both sides
    CloseTopBottom,
    MoveUp,
    MoveDown,
    MoveLeft,
    MoveRight,
    ScrollUp, // "连续上移", continuous moves
    ScrollDown,
    ScrollLeft,
    ScrollRight,
    RectangleOut, // "中间向四周（矩形）"
    RectangleIn,  // "四周向中间（矩形）"
    DiamondOut,
    DiamondIn,
    CrossOut,
    CrossIn,
    FlyInLeft, // "向左飞入"
    FlyInRight,
};

inline constexpr int kEffectCount = int(Effect::FlyInRight) + 1;

} // namespace pelvoro
