#include "platform/dialog/StartupDialog.h"

#include <gtk/gtk.h>

#include <clocale>

namespace cm {

namespace {

struct Dialog final : StartupDialogControls {
    GtkWidget* window = nullptr;
    GtkWidget* windowed = nullptr;
    GtkWidget* noSound = nullptr;
    GtkWidget* run = nullptr;
    GtkWidget* cancel = nullptr;
    DialogAnswer answer;
    bool closed = false;
    guint idleSource = 0;  // the pending whenShown call, 0 once it ran
    const std::function<void(StartupDialogControls&)>* whenShown = nullptr;

    void SetWindowed(bool ticked) override { gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(windowed), ticked); }
    void SetNoSound(bool ticked) override { gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(noSound), ticked); }
    // Pressing anything once the window is gone does nothing.
    void PressRun() override {
        if (window != nullptr) gtk_button_clicked(GTK_BUTTON(run));
    }
    void PressCancel() override {
        if (window != nullptr) gtk_button_clicked(GTK_BUTTON(cancel));
    }
    void PressEnter() override {
        if (window != nullptr) gtk_window_activate_default(GTK_WINDOW(window));
    }
    void Close() override {
        if (window != nullptr) gtk_window_close(GTK_WINDOW(window));
    }
    void PressEscape() override {
        if (window == nullptr) return;
        GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
        event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
        event->key.keyval = GDK_KEY_Escape;
        event->key.time = GDK_CURRENT_TIME;
        gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
        gtk_main_do_event(event);
        gdk_event_free(event);
    }
};

void OnRun(GtkButton*, gpointer data) {
    auto* d = static_cast<Dialog*>(data);
    d->answer.windowed = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(d->windowed));
    d->answer.noSound = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(d->noSound));
    d->answer.run = true;
    gtk_widget_destroy(d->window);
}

void OnCancel(GtkButton*, gpointer data) { gtk_widget_destroy(static_cast<Dialog*>(data)->window); }

gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer data) {
    if (event->keyval != GDK_KEY_Escape) return FALSE;
    gtk_button_clicked(GTK_BUTTON(static_cast<Dialog*>(data)->cancel));
    return TRUE;
}

void OnDestroy(GtkWidget*, gpointer data) {
    auto* d = static_cast<Dialog*>(data);
    d->window = nullptr;
    d->closed = true;
    gtk_main_quit();
}

gboolean OnShown(gpointer data) {
    auto* d = static_cast<Dialog*>(data);
    d->idleSource = 0;
    if (d->whenShown != nullptr && *d->whenShown && d->window != nullptr) (*d->whenShown)(*d);
    return G_SOURCE_REMOVE;
}

void Build(Dialog& d) {
    d.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(d.window), "Cold Meridian");
    gtk_window_set_resizable(GTK_WINDOW(d.window), FALSE);
    gtk_window_set_position(GTK_WINDOW(d.window), GTK_WIN_POS_CENTER);
    gtk_container_set_border_width(GTK_CONTAINER(d.window), 10);

    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 8);
    GtkWidget* frame = gtk_frame_new("Options");
    GtkWidget* boxes = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    gtk_container_set_border_width(GTK_CONTAINER(boxes), 6);
    d.windowed = gtk_check_button_new_with_label("Windowed");
    d.noSound = gtk_check_button_new_with_label("No sound");
    gtk_box_pack_start(GTK_BOX(boxes), d.windowed, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(boxes), d.noSound, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(frame), boxes);

    GtkWidget* buttons = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    d.run = gtk_button_new_with_label("Run");
    d.cancel = gtk_button_new_with_label("Cancel");
    gtk_box_pack_start(GTK_BOX(buttons), d.run, FALSE, FALSE, 0);
    gtk_box_pack_end(GTK_BOX(buttons), d.cancel, FALSE, FALSE, 0);

    gtk_box_pack_start(GTK_BOX(column), frame, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), buttons, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(d.window), column);

    // "Run" is the default button and starts with the focus, so Enter runs the show.
    gtk_widget_set_can_default(d.run, TRUE);
    gtk_window_set_default(GTK_WINDOW(d.window), d.run);

    g_signal_connect(d.run, "clicked", G_CALLBACK(OnRun), &d);
    g_signal_connect(d.cancel, "clicked", G_CALLBACK(OnCancel), &d);
    g_signal_connect(d.window, "key-press-event", G_CALLBACK(OnKey), &d);
    // Closing the window destroys it (GTK's default), which ends the loop as a cancel.
    g_signal_connect(d.window, "destroy", G_CALLBACK(OnDestroy), &d);
}

// Let a closed window vanish from the screen before anything else opens.
void Drain() {
    while (gtk_events_pending()) gtk_main_iteration();
}

}  // namespace

bool OpenDialogDisplay() {
    static const bool ready = [] {
        const bool opened = gtk_init_check(nullptr, nullptr);
        // gtk_init switched every locale category to the user's; numbers must stay with '.'.
        std::setlocale(LC_NUMERIC, "C");
        return opened;
    }();
    return ready;
}

DialogAnswer ShowStartupDialog(const std::function<void(StartupDialogControls&)>& whenShown) {
    if (!OpenDialogDisplay()) return {};

    Dialog d;
    d.whenShown = &whenShown;
    Build(d);
    gtk_widget_show_all(d.window);
    gtk_widget_grab_focus(d.run);
    d.idleSource = g_idle_add(&OnShown, &d);
    gtk_main();
    // The dialog lives on this stack frame: no callback may reach it after the loop.
    if (d.idleSource != 0) g_source_remove(d.idleSource);
    Drain();
    std::setlocale(LC_NUMERIC, "C");
    return d.answer;
}

void ShowErrorDialog(const std::string& text, const std::function<void(const std::string&)>& whenShown) {
    if (!OpenDialogDisplay()) return;
    GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_CLOSE, "%s",
                                            text.c_str());
    gtk_window_set_title(GTK_WINDOW(box), "Cold Meridian");
    gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER);
    if (whenShown) {
        gtk_widget_show_all(box);
        Drain();
        gchar* shown = nullptr;
        g_object_get(box, "text", &shown, nullptr);
        whenShown(shown != nullptr ? shown : "");
        g_free(shown);
    } else {
        gtk_dialog_run(GTK_DIALOG(box));
    }
    gtk_widget_destroy(box);
    Drain();
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace cm
