# SPDX-License-Identifier: MIT
"""What a screen reader finds: the real program under a private Xvfb and a private session bus (run this under
dbus-run-session), its accessibility tree read through at-spi. test_a11y.py names --binary B --artifacts A."""

import os

from e2e_support import CHOICE, check, main

try:
    import pyatspi
except ImportError:
    pyatspi = None

SETTINGS = "背景の設定"
BUTTONS = ["新規作成", "上書き保存", "印刷", "Zelvorandine のﾊﾞｰｼﾞｮﾝ情報", "細い削りﾍﾟﾝ", "中くらいの削りﾍﾟﾝ",
           "太い削りﾍﾟﾝ", "黒で覆うﾍﾟﾝ"]
PEN_WIDTHS = ["幅 1 ", "幅 2 ", "幅 4 ", "幅 10 "]
SLIDERS = ["赤の濃さ", "緑の濃さ", "青の濃さ", "コントラスト"]


def tree(s):
    """Role, name, description and labelling name of every object of the program, depth first."""
    apps = [a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.get_process_id() == s.app.pid]
    found, stack = [], apps[:1]
    while stack:
        node = stack.pop()
        labels = [r.getTarget(0).name for r in node.getRelationSet()
                  if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
        found.append((node.getRoleName(), node.name, node.description, labels[0] if labels else None))
        stack += reversed([node.getChildAtIndex(i) for i in range(node.childCount)])
    return found


def of_role(nodes, role):
    return [n for n in nodes if n[0] == role]


def names(s):
    """The bars, their buttons and the drawing area are named and described without tooltips or visible texts
    of their own: button names as the menu gives them, without mnemonic or keys. The colour sliders carry
    their labels' texts."""
    s.env.update(DBUS_SESSION_BUS_ADDRESS=os.environ["DBUS_SESSION_BUS_ADDRESS"], QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    s.launch()
    s.keys(s.window(CHOICE), "Escape")
    s.window(SETTINGS)
    nodes = s.until(lambda: (t := tree(s)) and len(of_role(t, "slider")) == 4 and t, "the settings' sliders")
    sliders = of_role(nodes, "slider")
    check([(n[1], n[3]) for n in sliders] == [(t, t) for t in SLIDERS], f"sliders {sliders}")
    bars = of_role(nodes, "tool bar")
    check([b[1] for b in bars] == ["ﾂｰﾙ ﾊﾞｰ", "描画設定"] and all(b[2] for b in bars), f"toolbars {bars}")
    buttons = [n for n in of_role(nodes, "push button") if n[1] in BUTTONS or "\t" in n[1] or "(" in n[1]]
    check([b[1] for b in buttons] == BUTTONS, f"toolbar buttons {[b[1] for b in buttons]}")
    pens = [b[2] for b in buttons[4:]]
    check(all(d.startswith(w) for d, w in zip(pens, PEN_WIDTHS)) and "覆い" in pens[0], f"pen descriptions {pens}")
    view = [n for n in nodes if n[1] == "描画領域"]
    check(len(view) == 1 and "ﾄﾞﾗｯｸﾞ" in view[0][2], f"drawing area {view}")


if __name__ == "__main__":
    if pyatspi is None or "DBUS_SESSION_BUS_ADDRESS" not in os.environ:
        raise SystemExit(print("SKIP: needs python3-pyatspi and a session bus (dbus-run-session)") or 77)
    main({"names": names})
