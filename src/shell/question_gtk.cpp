#include "shell/question.h"

#include <gtk/gtk.h>

int askFullscreen()
{
    // GTK would switch the process to the user's locale; the game keeps C.
    gtk_disable_setlocale();
    if (!gtk_init_check(nullptr, nullptr))
        return 0;
    GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER, GTK_BUTTONS_YES_NO,
                                            "Fullscreen?");
    gtk_window_set_title(GTK_WINDOW(box), "Fullscreen?");
    gtk_dialog_set_default_response(GTK_DIALOG(box), GTK_RESPONSE_YES);
    gint answer = gtk_dialog_run(GTK_DIALOG(box));
    gtk_widget_destroy(box);
    // Let the box leave the screen before the game window takes it.
    while (gtk_events_pending())
        gtk_main_iteration();
    if (answer == GTK_RESPONSE_YES)
        return 6;
    if (answer == GTK_RESPONSE_NO)
        return 7;
    return 0;
}
