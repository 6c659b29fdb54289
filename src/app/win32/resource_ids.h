/* Resource identifiers, shared by the program and its resource script. */
#ifndef TARNWICK_RESOURCE_IDS_H
#define TARNWICK_RESOURCE_IDS_H

#define TARNWICK_ICON 1

#endif
