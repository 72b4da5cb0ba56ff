/* Resource identifiers of the DLL, shared by the resource script and the C++ code. */
#ifndef KVT_COM_RESOURCE_IDS_H
#define KVT_COM_RESOURCE_IDS_H

#define KVT_IDB_TOOLBOX 1
#define KVT_IDB_LOAD_PROGRESS 101
#define KVT_IDI_POPUP 102
#define KVT_IDS_VERB_PROPERTIES 201

#endif
