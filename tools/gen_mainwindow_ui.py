#!/usr/bin/env python3
"""Writes forms/mainwindow.ui.

The main window holds several hundred controls whose object names are fixed
(other windows' code and the tests find them by name), so the form is kept as
this compact description instead of a hand-edited XML file. Run it from the
repository root after changing a page:

    python3 tools/gen_mainwindow_ui.py
"""
import os
import xml.etree.ElementTree as ET

_counters = {}


def auto(prefix, start):
    n = _counters.get(prefix, start)
    _counters[prefix] = n + 1
    return f"{prefix}_{n}"


def prop(parent, name, kind, value, attrs=None):
    p = ET.SubElement(parent, "property", {"name": name})
    v = ET.SubElement(p, kind, attrs or {})
    if isinstance(value, dict):
        for k, val in value.items():
            ET.SubElement(v, k).text = str(val)
    else:
        v.text = str(value)
    return p


def size(parent, name, w, h):
    prop(parent, name, "size", {"width": w, "height": h})


class W:
    """A widget: class, object name, properties, a layout or children."""

    def __init__(self, cls, name, props=None, layout=None, children=None,
                 attrs=None, stretch=0):
        self.cls, self.name = cls, name
        self.props = props or []
        self.layout = layout
        self.children = children or []
        self.attrs = attrs or {}
        self.stretch = stretch

    def build(self, parent):
        w = ET.SubElement(parent, "widget", {"class": self.cls, "name": self.name})
        for k, v in self.attrs.items():
            a = ET.SubElement(w, "attribute", {"name": k})
            ET.SubElement(a, "string").text = v
        for p in self.props:
            p(w)
        if self.layout is not None:
            self.layout.build(w)
        for c in self.children:
            c.build(w)
        return w


class Spacer:
    def __init__(self, horizontal=True, fixed=None):
        self.horizontal, self.fixed = horizontal, fixed
        self.stretch = 0 if fixed else 1

    def build(self, parent):
        s = ET.SubElement(parent, "spacer", {"name": auto("spacer", 1)})
        prop(s, "orientation", "enum", "Qt::Horizontal" if self.horizontal else "Qt::Vertical")
        if self.fixed:
            prop(s, "sizeType", "enum", "QSizePolicy::Fixed")
        w, h = (self.fixed or 40, 20) if self.horizontal else (20, self.fixed or 40)
        size(s, "sizeHint", w, h)


class L:
    """A layout with items (widgets, spacers, layouts)."""

    def __init__(self, cls, items, margins=(6, 6, 6, 6), spacing=6, name=None):
        self.cls, self.items, self.margins, self.spacing = cls, items, margins, spacing
        self.name = name
        self.stretch = 0

    def build(self, parent):
        lay = ET.SubElement(parent, "layout", {"class": self.cls,
                                              "name": self.name or auto("layout", 1)})
        stretches = [str(getattr(i, "stretch", 0)) for i in self.items]
        if self.cls in ("QVBoxLayout", "QHBoxLayout") and any(s != "0" for s in stretches):
            lay.set("stretch", ",".join(stretches))
        prop(lay, "spacing", "number", self.spacing)
        for side, m in zip(("left", "top", "right", "bottom"), self.margins):
            prop(lay, side + "Margin", "number", m)
        for i in self.items:
            item = ET.SubElement(lay, "item")
            i.build(item)
        return lay


def text(t):
    return lambda w: prop(w, "text", "string", t)


def minw(n):
    return lambda w: size(w, "minimumSize", n, 0)


def fixw(n):
    def f(w):
        size(w, "minimumSize", n, 0)
        size(w, "maximumSize", n, 16777215)
    return f


def fixh(n):
    def f(w):
        size(w, "minimumSize", 0, n)
        size(w, "maximumSize", 16777215, n)
    return f


def fixed(wd, ht):
    def f(w):
        size(w, "minimumSize", wd, ht)
        size(w, "maximumSize", wd, ht)
    return f


# ---- control makers -------------------------------------------------------

def label(t, name=None, props=()):
    return W("QLabel", name or auto("label", 101), [text(t), *props])


def button(name, t, props=()):
    return W("QToolButton", name, [text(t), lambda w: size(w, "minimumSize", 64, 28), *props])


def edit(name, width=120, placeholder=None):
    props = [minw(width)]
    if placeholder:
        props.append(lambda w: prop(w, "placeholderText", "string", placeholder))
    return W("QLineEdit", name, props)


def combo(name, width=100):
    return W("QComboBox", name, [minw(width)])


def date(name):  # wide enough for "2026-12-31" with the arrow
    return W("QDateEdit", name, [
        lambda w: prop(w, "displayFormat", "string", "yyyy-MM-dd"),
        lambda w: prop(w, "calendarPopup", "bool", "true"),
        minw(128)])


def table(name, stretch=0):
    return W("QTableView", name, [
        lambda w: prop(w, "editTriggers", "set", "QAbstractItemView::NoEditTriggers"),
        lambda w: prop(w, "alternatingRowColors", "bool", "true"),
        lambda w: prop(w, "selectionBehavior", "enum", "QAbstractItemView::SelectRows"),
        lambda w: prop(w, "selectionMode", "enum", "QAbstractItemView::SingleSelection"),
    ], stretch=stretch)


def splitter(children, vertical=True, stretch=1, sizes=None):
    return W("QSplitter", auto("splitter", 1), [
        lambda w: prop(w, "orientation", "enum", "Qt::Vertical" if vertical else "Qt::Horizontal"),
        lambda w: prop(w, "childrenCollapsible", "bool", "false"),
    ], children=children, stretch=stretch)


def row(*items, margins=(0, 0, 0, 0)):
    return L("QHBoxLayout", list(items), margins=margins)


def filters(*items):
    """A filter bar: (caption, control) pairs and bare controls, then a stretch.
    A long bar is split after the period controls so that it fits 1366 pixels."""
    def line(part):
        out = []
        for it in part:
            if isinstance(it, tuple):
                out.append(label(it[0]))
                out.append(it[1])
            else:
                out.append(it)
        out.append(Spacer())
        return row(*out)

    if len(items) <= 6:
        return line(items)
    split = 3 if isinstance(items[0], tuple) and items[0][0] == "时间选择：" else len(items) // 2
    return L("QVBoxLayout", [line(items[:split]), line(items[split:])], margins=(0, 0, 0, 0))


def page(name, title, items):
    return W("QWidget", name, layout=L("QVBoxLayout", items), attrs={"title": title})


def tabs(name, pages, stretch=1):
    return W("QTabWidget", name, [lambda w: prop(w, "currentIndex", "number", 0)],
             children=pages, stretch=stretch)


def box(name, title, layout, props=()):
    return W("QGroupBox", name, [lambda w: prop(w, "title", "string", title), *props],
             layout=layout)


def period(combo_name, start, end):
    return [("时间选择：", combo(combo_name, 80)), ("开始日期：", date(start)),
            ("结束日期：", date(end))]


def blank_page(name, title):
    return page(name, title, [
        label("本页功能暂未开放", props=[lambda w: prop(w, "alignment", "set", "Qt::AlignCenter")]),
    ])


# ---- pages -----------------------------------------------------------------

def member_panel():
    pairs = [("会员编号：", "label_18"), ("会员姓名：", "label_15"), ("会员类别：", "label_10"),
             ("会员生日：", "label_16"), ("交费金额：", "label_13"), ("剩余金额：", "label_11"),
             ("联系电话：", "label_17"), ("会员积分：", "label_14"), ("会员顾问：", "label_12")]
    form_items = []
    for cap, name in pairs:
        form_items.append(row(label(cap, props=[fixw(84)]), label("", name), Spacer()))
    form_items.append(row(label("累计消费：", "label_19"), Spacer()))
    form_items.append(row(label("会员欠款：", props=[fixw(84)]), label("", "label_20"), Spacer()))
    return box("groupBox", "会员信息", L("QVBoxLayout", [
        row(edit("lineEdit", 100, "姓名/电话"), button("toolButton_27", "查询")),
        row(button("toolButton_28", "散客"), button("toolButton_29", "添加会员"),
            button("toolButton_13", "解挂")),
        L("QVBoxLayout", form_items, margins=(0, 8, 0, 8), spacing=4),
        row(button("toolButton_12", "添加消费"), button("toolButton_15", "会员交费")),
        row(button("toolButton_16", "套餐续费"), button("toolButton_14", "还款")),
        Spacer(horizontal=False),
    ]), props=[fixw(250)])


def front_desk():
    inner = tabs("tabWidget_2", [
        page("tab_xiaofei", "会员消费", [
            row(button("toolButton_17", "打印"), Spacer()),
            splitter([table("tableView"), table("tableView_2")])]),
        page("tab_jiaofei", "会员交费", [
            row(button("toolButton_18", "导出"), button("toolButton_19", "打印"), Spacer()),
            table("tableView_3", 1)]),
        page("tab_taocan", "会员套餐", [
            row(button("toolButton_20", "导出"), button("toolButton_21", "退套餐"), Spacer()),
            table("tableView_4", 1)]),
        page("tab_jifen", "积分管理", [
            row(button("toolButton_22", "增加兑换积分"), button("toolButton_23", "删除兑换积分"),
                Spacer()),
            table("tableView_5", 1)]),
        page("tab_yue", "余额变动", [
            row(button("toolButton_24", "导出"), button("toolButton_25", "退储值"), Spacer()),
            table("tableView_6", 1)]),
    ])
    return page("tab_qiantai", "前台收银", [row(member_panel(), inner)])


def member_page():
    inner = tabs("tabWidget_3", [
        page("tab_huiyuanguanli", "会员管理", [
            filters(("会员姓名/编号：", edit("lineEdit_3", 140)), button("toolButton_32", "查询"),
                    W("QCheckBox", "checkBox", [text("显示禁用会员")])),
            row(button("toolButton", "添加"), button("toolButton_2", "修改"),
                button("toolButton_3", "删除"), button("toolButton_4", "充值"),
                button("toolButton_33", "套餐续费"), Spacer()),
            splitter([table("tableView_9"), table("tableView_8")]),
        ]),
    ])
    return page("tab_huiyuan", "会员管理", [inner])


def stock_pages():
    inner = tabs("tabWidget_11", [
        page("tab_ruku", "入库统计", [
            filters(("开始日期：", date("dateEdit_19")), ("结束日期：", date("dateEdit_20")),
                    ("入库类型：", combo("comboBox_24")), ("单号：", edit("lineEdit_23")),
                    button("toolButton_54", "查询"), button("toolButton_153", "入库")),
            splitter([table("tableView_33"), table("tableView_34")])]),
        page("tab_chuku", "出库统计", [
            filters(("开始日期：", date("dateEdit_21")), ("结束日期：", date("dateEdit_22")),
                    ("出库类型：", combo("comboBox_25")), ("单号：", edit("lineEdit_24")),
                    button("toolButton_139", "查询"), button("toolButton_148", "出库")),
            splitter([table("tableView_36"), table("tableView_35")])]),
        page("tab_kucun", "库存查询", [
            filters(("产品编号/名称：", edit("lineEdit_25")), ("产品类别：", combo("comboBox_26")),
                    button("toolButton_144", "查询"), button("toolButton_152", "删除")),
            splitter([table("tableView_37"), table("tableView_48")])]),
    ])
    return page("tab_kucunguanli", "库存管理", [inner])


def report_pages():
    xiaofei = tabs("tabWidget_4", [
        page("tab_xiaofeidanju", "消费单据", [
            filters(*period("comboBox_4", "dateEdit", "dateEdit_2"),
                    ("会员：", edit("lineEdit_8", 90)), ("单号/备注：", edit("lineEdit_9", 90)),
                    ("操作员：", combo("comboBox_5", 80)),
                    button("toolButton_79", "查询"), button("toolButton_77", "导出")),
            splitter([table("tableView_14"), table("tableView_15")])]),
        page("tab_xiaofeimingxi", "消费明细", [
            filters(*period("comboBox_6", "dateEdit_3", "dateEdit_4"),
                    ("会员：", edit("lineEdit_10", 90)), ("分类：", combo("comboBox_7", 80)),
                    ("项目名称：", edit("lineEdit_11", 90)),
                    button("toolButton_83", "查询"), button("toolButton_81", "导出")),
            table("tableView_16", 1)]),
        page("tab_xiaofeipaihang", "消费排行", [
            filters(*period("comboBox_9", "dateEdit_7", "dateEdit_8"),
                    ("会员：", edit("lineEdit_14", 90)), ("会员卡名称：", combo("comboBox_10")),
                    button("toolButton_91", "查询"), button("toolButton_89", "导出")),
            table("tableView_19", 1)]),
    ])
    jiaofei = tabs("tabWidget_7", [
        page("tab_jiaofeitongji", "交费统计", [
            filters(*period("comboBox_12", "dateEdit_11", "dateEdit_12"),
                    ("会员编号：", edit("lineEdit_4", 80)), ("员工：", edit("lineEdit_5", 80)),
                    ("操作员：", combo("comboBox_33", 80)), ("交费类型：", combo("comboBox_2")),
                    button("toolButton_48", "查询"), button("toolButton_93", "导出")),
            splitter([table("tableView_10"), table("tableView_11")])]),
        page("tab_taocanpaihang", "套餐交费排行", [
            filters(*period("comboBox_11", "dateEdit_9", "dateEdit_10"),
                    ("会员类别：", combo("comboBox_3")),
                    button("toolButton_75", "查询"), button("toolButton_73", "导出")),
            table("tableView_13", 1)]),
    ])
    fenxi = tabs("tabWidget_8", [
        page("tab_fuwufenxi", "服务消费分析", [
            filters(("项目名称：", edit("lineEdit_15")), ("消费类型：", combo("comboBox_15")),
                    button("toolButton_52", "查询"), button("toolButton_99", "导出")),
            splitter([table("tableView_20"), table("tableView_21")])]),
        page("tab_chanpinfenxi", "产品消费分析", [
            filters(("产品编号/名称：", edit("lineEdit_16")), ("产品类别：", combo("comboBox_17")),
                    button("toolButton_65", "查询"), button("toolButton_102", "导出")),
            splitter([table("tableView_22"), table("tableView_23")])]),
    ])
    biandong = tabs("tabWidget_10", [
        page("tab_yuebiandong", "余额变动", [
            filters(*period("comboBox_29", "dateEdit_27", "dateEdit_28"),
                    ("会员：", edit("lineEdit_21", 90)), ("变动类型：", combo("comboBox_22")),
                    button("toolButton_123", "查询"), button("toolButton_121", "导出")),
            table("tableView_27", 1)]),
        page("tab_jifenbiandong", "积分变动", [
            filters(*period("comboBox_30", "dateEdit_29", "dateEdit_30"),
                    ("会员：", edit("lineEdit_22", 90)), ("变动类型：", combo("comboBox_23")),
                    button("toolButton_136", "查询"), button("toolButton_134", "导出")),
            table("tableView_28", 1)]),
    ])
    zonghe = tabs("tabWidget_9", [
        page("tab_zonghe_inner", "综合统计", [
            filters(("开始日期：", date("dateEdit_13")), ("结束日期：", date("dateEdit_14")),
                    ("付款方式：", combo("comboBox_32")), button("toolButton_86", "查询")),
            splitter([
                W("QTreeView", "treeView", [
                    lambda w: prop(w, "editTriggers", "set", "QAbstractItemView::NoEditTriggers"),
                    minw(320)]),
                table("tableView_12"),
            ], vertical=False),
        ]),
    ])
    inner = tabs("tabWidget_5", [
        page("tab_r0", "会员消费统计", [xiaofei]),
        page("tab_r1", "会员交费统计", [jiaofei]),
        page("tab_r2", "消费分析", [fenxi]),
        page("tab_r3", "交班查询", [
            filters(("开始日期：", date("dateEdit_25")), ("结束日期：", date("dateEdit_26")),
                    ("操作员：", combo("comboBox_31")), button("toolButton_66", "查询")),
            splitter([table("tableView_46"), table("tableView_47")])]),
        page("tab_r4", "变动统计", [biandong]),
        blank_page("tab_r5", "积分兑换统计"),
        page("tab_r6", "员工提成查询", [
            filters(*period("comboBox_27", "dateEdit_23", "dateEdit_24"),
                    ("提成员工：", combo("comboBox_34")),
                    button("toolButton_111", "查询"), button("toolButton_110", "导出")),
            splitter([table("tableView_41"), table("tableView_42")])]),
        blank_page("tab_r7", "提成汇总统计表"),
        page("tab_r8", "综合统计", [zonghe]),
    ])
    return page("tab_tongji", "统计报表", [inner])


def settings_pages():
    def crud(add, mod, dele, extra=()):
        return [button(add, "添加"), button(mod, "修改"), button(dele, "删除"), *extra]

    inner = tabs("tabWidget_6", [
        page("tab_s0", "服务项目", [
            filters(("项目编号/名称：", edit("lineEdit_17")), ("项目类别：", combo("comboBox_18")),
                    button("toolButton_36", "查询"),
                    *crud("toolButton_37", "toolButton_38", "toolButton_39",
                          [button("toolButton_42", "导出")])),
            table("tableView_24", 1)]),
        page("tab_s1", "产品管理", [
            filters(("产品编号/名称：", edit("lineEdit_18")), ("产品类别：", combo("comboBox_19")),
                    button("toolButton_55", "查询"),
                    *crud("toolButton_44", "toolButton_45", "toolButton_46",
                          [button("toolButton_51", "导出")])),
            table("tableView_25", 1)]),
        page("tab_s2", "套餐设计", [
            filters(*crud("toolButton_104", "toolButton_105", "toolButton_106",
                          [button("toolButton_109", "导出")])),
            splitter([table("tableView_26"), table("tableView_45")], vertical=False)]),
        page("tab_s3", "提成策略", [
            label("单击项目查看提成设置，双击项目进行设置"),
            splitter([table("tableView_39"), table("tableView_40")], vertical=False)]),
        page("tab_s4", "促销方案", [
            label("单击项目查看促销方案，双击项目进行设置"),
            splitter([table("tableView_44"), table("tableView_43")], vertical=False)]),
        page("tab_s5", "会员卡设置", [
            filters(*crud("toolButton_149", "toolButton_150", "toolButton_151")),
            table("tableView_32", 1)]),
        page("tab_s6", "操作员设置", [
            filters(*crud("toolButton_138", "toolButton_140", "toolButton_137")),
            table("tableView_29", 1)]),
        page("tab_s7", "员工管理", [
            filters(*crud("toolButton_141", "toolButton_142", "toolButton_143")),
            table("tableView_30", 1)]),
        page("tab_s8", "座位设置", [
            filters(*crud("toolButton_160", "toolButton_161", "toolButton_162")),
            table("tableView_49", 1)]),
    ])
    return page("tab_shezhi", "系统设置", [inner])


def title_area():
    top_buttons = [W("QToolButton", n, [text(t), fixed(78, 56)]) for n, t in [
        ("toolButton_6", "每日提醒"), ("toolButton_7", "日志查询"), ("toolButton_8", "交班"),
        ("toolButton_9", "商品寄存"), ("toolButton_10", "帮助")]]
    window_buttons = L("QVBoxLayout", [
        row(W("QToolButton", "toolButton_35", [text("—"), fixed(34, 26),
                                                lambda w: prop(w, "toolTip", "string", "最小化")]),
            W("QToolButton", "toolButton_31", [text("×"), fixed(34, 26),
                                                lambda w: prop(w, "toolTip", "string", "退出")]),
            margins=(0, 0, 0, 0)),
        Spacer(horizontal=False)], margins=(0, 0, 0, 0))
    frame = W("QFrame", "frame_2", [fixh(72),
                                     lambda w: prop(w, "frameShape", "enum", "QFrame::NoFrame")],
              layout=L("QHBoxLayout", [
                  W("QLabel", "labTitle", [text("沐辰会员管理系统"), fixw(200),
                                           lambda w: prop(w, "alignment", "set", "Qt::AlignCenter")]),
                  Spacer(), *top_buttons, Spacer(fixed=16), window_buttons,
              ], margins=(0, 0, 4, 0), spacing=4))
    return W("QWidget", "widgetTop", layout=L("QVBoxLayout", [frame], margins=(0, 0, 0, 0),
                                               spacing=0))


def main():
    ui = ET.Element("ui", {"version": "4.0"})
    ET.SubElement(ui, "class").text = "MainWindow"
    mw = ET.SubElement(ui, "widget", {"class": "QMainWindow", "name": "MainWindow"})
    prop(mw, "geometry", "rect", {"x": 0, "y": 0, "width": 1366, "height": 768})
    size(mw, "minimumSize", 1024, 640)
    prop(mw, "windowTitle", "string", "沐辰会员管理系统")

    main_tabs = tabs("tabWidget", [front_desk(), member_page(), stock_pages(), report_pages(),
                                   settings_pages()])
    nav = W("NavListView", "listView", [fixw(180)])
    body = W("QWidget", "widgetMain", layout=L("QHBoxLayout", [nav, main_tabs],
                                                margins=(0, 0, 0, 0), spacing=0), stretch=1)
    central = W("QWidget", "centralWidget",
                layout=L("QVBoxLayout", [title_area(), body], margins=(0, 0, 0, 0), spacing=0))
    central.build(mw)
    ET.SubElement(mw, "widget", {"class": "QStatusBar", "name": "statusBar"})

    cws = ET.SubElement(ui, "customwidgets")
    cw = ET.SubElement(cws, "customwidget")
    ET.SubElement(cw, "class").text = "NavListView"
    ET.SubElement(cw, "extends").text = "QListView"
    ET.SubElement(cw, "header").text = "navlistview.h"
    ET.SubElement(ui, "resources")
    ET.SubElement(ui, "connections")

    ET.indent(ui, space=" ")
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    out = os.path.join(root, "forms", "mainwindow.ui")
    with open(out, "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n')
        f.write(ET.tostring(ui, encoding="unicode"))
        f.write("\n")


if __name__ == "__main__":
    main()
