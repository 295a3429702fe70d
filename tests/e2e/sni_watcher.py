"""A StatusNotifierWatcher and host of the tests' own, on the session bus.

It owns org.kde.StatusNotifierWatcher, says that a host is registered (Qt
chooses its D-Bus tray only then), and writes what a host would show of the
item that registers into files of STATE-FOLDER, each rewritten whole when the
item announces a change:
  ready    the watcher is on the bus
  item     the item's bus name and object path, once its tooltip and icon
           are written
  tooltip  the item's title, then the tooltip's title and text
  icon     a digest of the icon's pixels
  menu     the menu's object path, then "ID<TAB>LABEL" for each entry
           (separators left out)

Usage: /usr/bin/python3 sni_watcher.py STATE-FOLDER
"""
import hashlib
import os
import sys

from gi.repository import Gio, GLib

WATCHER_XML = """
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
  </interface>
</node>"""

ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"

state_folder = sys.argv[1]
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
items = []


def write(name, text):
    path = os.path.join(state_folder, name)
    with open(path + ".new", "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(path + ".new", path)


def call(name, path, interface, method, args, reply):
    return bus.call_sync(name, path, interface, method, args, GLib.VariantType(reply),
                         Gio.DBusCallFlags.NONE, 5000, None).unpack()


def item_property(name, path, prop):
    return call(name, path, "org.freedesktop.DBus.Properties", "Get",
                GLib.Variant("(ss)", (ITEM, prop)), "(v)")[0]


def show_tooltip(name, path):
    title = item_property(name, path, "Title")
    _, _, tip_title, tip_text = item_property(name, path, "ToolTip")
    write("tooltip", "\n".join([title, tip_title, tip_text]) + "\n")


def show_icon(name, path):
    digest = hashlib.sha256()
    for width, height, pixels in item_property(name, path, "IconPixmap"):
        digest.update(b"%d %d " % (width, height) + bytes(pixels))
    write("icon", digest.hexdigest() + "\n")


def show_menu(name, menu_path):
    _, (_, _, children) = call(name, menu_path, MENU, "GetLayout",
                               GLib.Variant("(iias)", (0, -1, [])), "(u(ia{sv}av))")
    lines = [menu_path]
    for entry_id, props, _ in children:
        if props.get("type") != "separator" and props.get("visible", True):
            lines.append("%d\t%s" % (entry_id, props.get("label", "")))
    write("menu", "\n".join(lines) + "\n")


def follow(name, path):
    """Reads the item as a host does, then again on each change it announces."""
    menu_path = item_property(name, path, "Menu")

    def on_item_signal(_bus, _sender, _path, _interface, signal, _args):
        if signal in ("NewToolTip", "NewTitle"):
            show_tooltip(name, path)
        elif signal == "NewIcon":
            show_icon(name, path)

    def on_menu_signal(*_):
        show_menu(name, menu_path)

    bus.signal_subscribe(name, ITEM, None, path, None, Gio.DBusSignalFlags.NONE,
                         on_item_signal)
    bus.signal_subscribe(name, MENU, None, menu_path, None, Gio.DBusSignalFlags.NONE,
                         on_menu_signal)
    show_tooltip(name, path)
    show_icon(name, path)
    write("item", "%s %s\n" % (name, path))
    show_menu(name, menu_path)


def on_watcher_call(_bus, sender, _path, _interface, method, args, invocation):
    if method == "RegisterStatusNotifierItem":
        # A bus name (Qt gives its unique name) or an object path of the sender.
        service = args.unpack()[0]
        name, path = (sender, service) if service.startswith("/") else (service,
                                                                        "/StatusNotifierItem")
        items.append(name + path)
        invocation.return_value(None)
        bus.emit_signal(None, "/StatusNotifierWatcher", "org.kde.StatusNotifierWatcher",
                        "StatusNotifierItemRegistered", GLib.Variant("(s)", (name + path,)))
        GLib.idle_add(lambda: follow(name, path) and False)
    else:
        invocation.return_value(None)


def on_watcher_get(_bus, _sender, _path, _interface, prop):
    return {
        "RegisteredStatusNotifierItems": GLib.Variant("as", items),
        "IsStatusNotifierHostRegistered": GLib.Variant("b", True),
        "ProtocolVersion": GLib.Variant("i", 0),
    }[prop]


def main():
    node = Gio.DBusNodeInfo.new_for_xml(WATCHER_XML)
    bus.register_object("/StatusNotifierWatcher", node.interfaces[0], on_watcher_call,
                        on_watcher_get, None)
    loop = GLib.MainLoop()

    def on_name(*_):
        write("ready", "")

    Gio.bus_own_name_on_connection(bus, "org.kde.StatusNotifierWatcher",
                                   Gio.BusNameOwnerFlags.NONE, on_name, lambda *_: loop.quit())
    loop.run()


main()
