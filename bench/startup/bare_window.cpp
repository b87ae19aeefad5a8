// SPDX-License-Identifier: GPL-3.0-or-later
// bare-window: the least a GTK 3 program does to show a window of the calculator's size (one
// gtk_init, one window), the yardstick the calculator's start-up and memory are held to.
//
//   bare-window              (GDK_SCALE=2 gives the calculator's size at 2, as GTK scales it)
#include <gtk/gtk.h>

namespace {

// The shipped skin's window at 1.
constexpr int kWidth = 392, kHeight = 654;

}  // namespace

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "bare-window");
  gtk_window_set_default_size(GTK_WINDOW(window), kWidth, kHeight);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gtk_widget_show(window);
  gtk_main();
  return 0;
}
