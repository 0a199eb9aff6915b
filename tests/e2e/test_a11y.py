# SPDX-License-Identifier: MIT
"""What a screen reader finds: the real program under a private Xvfb and a private session bus (run this under
dbus-run-session), its accessibility tree read through at-spi. test_a11y.py names --binary B --artifacts A."""

import os

from e2e_support import CHOICE, check, main

try:
    import pyatspi
except ImportError:
    pyatspi = None

BUTTONS = ["新規作成", "上書き保存", "印刷", "Zelvorandine のﾊﾞｰｼﾞｮﾝ情報", "細い削りﾍﾟﾝ", "中くらいの削りﾍﾟﾝ",
           "太い削りﾍﾟﾝ", "黒で覆うﾍﾟﾝ"]


def tree(s):
    """Role, name, description and the name of its label for every object of the program, depth first."""
    stack, found = [a for a in pyatspi.Registry.getDesktop(0) if a and a.get_process_id() == s.app.pid][:1], []
    while stack:
        node = stack.pop()
        labels = [r.getTarget(0).name for r in node.getRelationSet()
                  if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
        found.append((node.getRoleName(), node.name, node.description, (labels or [None])[0]))
        stack += reversed([node.getChildAtIndex(i) for i in range(node.childCount)])
    return found


def names(s):
    """The bars, the pen buttons and the drawing area are named and described, though they show no text and
    the pen buttons no tooltip; the other buttons are named as their menu items, without mnemonic or keys. The
    colour sliders are labelled by the labels beside them."""
    s.env.update(DBUS_SESSION_BUS_ADDRESS=os.environ["DBUS_SESSION_BUS_ADDRESS"], QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    s.launch()
    s.keys(s.window(CHOICE), "Escape")
    s.window("背景の設定")
    role = lambda r: [n for n in nodes if n[0] == r]
    nodes = s.until(lambda: (t := tree(s)) and sum(n[0] == "slider" for n in t) == 4 and t, "the sliders")
    sliders = [(n[1], n[3]) for n in role("slider")]
    check(sliders == [(t, t) for t in ("赤の濃さ", "緑の濃さ", "青の濃さ", "コントラスト")], f"sliders {sliders}")
    bars = role("tool bar")
    check([b[1] for b in bars] == ["ﾂｰﾙ ﾊﾞｰ", "描画設定"] and all(b[2] for b in bars), f"toolbars {bars}")
    buttons = [b for b in role("push button") if b[1] in BUTTONS or "\t" in b[1] or "(" in b[1]]
    check([b[1] for b in buttons] == BUTTONS, f"toolbar buttons {[b[1] for b in buttons]}")
    pens = [b[2] for b in buttons[4:]]
    check([p.split("ﾋﾟｸｾﾙ")[0] for p in pens] == ["幅 1 ", "幅 2 ", "幅 4 ", "幅 10 "], f"pens {pens}")
    view = [n for n in nodes if n[1] == "描画領域"]
    check(len(view) == 1 and "ﾄﾞﾗｯｸﾞ" in view[0][2], f"drawing area {view}")


if __name__ == "__main__":
    if pyatspi is None or "DBUS_SESSION_BUS_ADDRESS" not in os.environ:
        raise SystemExit(print("SKIP: needs python3-pyatspi and a session bus (dbus-run-session)") or 77)
    main({"names": names})
