/* The fixed identifiers of the control's own type library and of the host's interfaces.
   This is their only definition: the IDL files and the C++ code both take them from here,
   so the file holds nothing but preprocessor definitions that widl also reads. Once
   published, none of these values may ever change. */
/* clang-format off */
#ifndef KVT_COM_IDENTIFIERS_H
#define KVT_COM_IDENTIFIERS_H

/* The control's library KvNewTavrixProj 1.0. */
#define KVT_LIBID_KVNEWTAVRIXPROJ cfc942f2-279e-4dca-a7a7-f05b0410a5d5
#define KVT_IID_IKVNEWTAVRIX 676a2c83-232f-4db3-be95-72c70aa35550
#define KVT_CLSID_KVNEWTAVRIX 475c7d5d-f8ae-4683-95c3-1b2a928cf510

/* The host's plug-in library. */
#define KVT_LIBID_DRAVON 0fa798c8-4e8b-4e5e-a60b-46170ea8769f
#define KVT_IID_IDVCONTROLLER f7d2dd6e-6387-452d-b4fb-aa88410c98d7
#define KVT_IID_IDVPLUGIN 342e2a33-b035-488d-857a-2d2742aba6be

/* The host's range library. */
#define KVT_LIBID_ORVANTA ef945392-464b-4910-932e-e8ac1a390cee
#define KVT_IID_IDVRANGES b2cd0558-3fe0-4837-96e6-3041a60c60bb
#define KVT_IID_IDVRANGEITEM a7f04430-d35d-4866-b607-6daccb49231f
#define KVT_DIID_IDVRANGESEVENTS ab580550-19d5-4059-8afb-84e695f6dda1

/* Dispatch id of the range-change event. */
#define KVT_DISPID_RANGES_CHANGED 201

#endif
/* clang-format on */
