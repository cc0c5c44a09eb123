// The demo's scripted walk through both pages: the steps and screenshots that
// `--tour` runs in the stand-in control centre.
#ifndef VORLA_HOST_DEMO_TOUR_H
#define VORLA_HOST_DEMO_TOUR_H

class app_info_service_c;
class control_centre_c;
class main_window_c;
class tour_c;

// Appends every step to tour. The scan steps need the seeded installation and
// the running service; without with_scan they are left out.
void add_demo_tour(tour_c &tour, main_window_c &window, control_centre_c &host, app_info_service_c &service,
                   bool with_scan);

#endif
